#include "npc/SqlLiteral.h"

QString sqlStringContent(QStringView text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar ch : text) {
        switch (ch.unicode()) {
        case u'\0':
            out += u"\\0";
            break;
        case u'\n':
            out += u"\\n";
            break;
        case u'\r':
            out += u"\\r";
            break;
        case u'\\':
            out += u"\\\\";
            break;
        case u'\'':
            out += u"\\'";
            break;
        case u'"':
            out += u"\\\"";
            break;
        case u'\x1a':
            out += u"\\Z";
            break;
        default:
            out += ch;
        }
    }
    return out;
}
