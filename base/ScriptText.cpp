#include "base/ScriptText.h"

namespace ScriptText {

QString oneLine(const QString &text)
{
    if (!text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    QString out = text;
    for (QChar &ch : out) {
        if (ch == u'\r' || ch == u'\n')
            ch = u' ';
    }
    return out;
}

} // namespace ScriptText
