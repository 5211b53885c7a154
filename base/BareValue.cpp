#include "base/BareValue.h"

#include "base/Error.h"
#include "base/ScriptText.h"

using namespace Qt::StringLiterals;

namespace BareValue {

QString breaker(QStringView text)
{
    // Quotes and comments are refused above, so every parenthesis and comma
    // here is one the server reads as such.
    qsizetype openParentheses = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u';' || c == u'\\' || c == u'\'' || c == u'"' || c == u'`' || c == u'#')
            return QString(c);
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if ((c == u'-' && next == u'-') || (c == u'/' && next == u'*'))
            return text.mid(i, 2).toString();
        if (c == u'(')
            ++openParentheses;
        else if (c == u')' && openParentheses-- == 0)
            return QString(c);
        else if (c == u',' && openParentheses == 0)
            return QString(c);
    }
    return openParentheses > 0 ? u"("_s : QString();
}

void require(std::initializer_list<BareBox> boxes)
{
    for (const BareBox &box : boxes) {
        const QString piece = breaker(box.text);
        if (!piece.isEmpty())
            throw QmError(u"The box \"%1\" holds \"%2\": \"%3\" cannot stand in a value written without quotes"_s
                              .arg(box.caption, ScriptText::oneLine(box.text), piece));
    }
}

} // namespace BareValue
