#include "base/ScriptText.h"

namespace ScriptText {

bool isBlankedControl(char32_t c)
{
    return (c < 0x20 && c != u'\t') || (c >= 0x7f && c <= 0x9f);
}

namespace {

QString blanked(const QString &text, bool keepLineEnds)
{
    const auto blanks = [keepLineEnds](QChar ch) {
        return isBlankedControl(ch.unicode()) && !(keepLineEnds && (ch == u'\r' || ch == u'\n'));
    };
    qsizetype first = 0;
    while (first < text.size() && !blanks(text.at(first)))
        ++first;
    if (first == text.size())
        return text;
    QString out = text;
    for (qsizetype i = first; i < out.size(); ++i) {
        if (blanks(out.at(i)))
            out[i] = u' ';
    }
    return out;
}

} // namespace

QString oneLine(const QString &text)
{
    return blanked(text, false);
}

QString blankControls(const QString &text)
{
    return blanked(text, true);
}

QByteArray blankControlsUtf8(QByteArrayView utf8)
{
    // C0 and DEL are single bytes; C1 characters are 0xC2 0x80..0x9F. Only
    // when one is present is the text decoded and encoded again.
    bool found = false;
    for (qsizetype i = 0; i < utf8.size() && !found; ++i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        found = (b < 0x20 && b != '\t' && b != '\r' && b != '\n') || b == 0x7f
            || (b == 0xc2 && i + 1 < utf8.size() && (static_cast<unsigned char>(utf8[i + 1]) & 0xe0) == 0x80);
    }
    if (!found)
        return {};
    return blankControls(QString::fromUtf8(utf8)).toUtf8();
}

QStringList splitLines(const QString &all)
{
    QStringList result;
    qsizetype start = 0;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const QChar c = all.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        result.append(all.mid(start, i - start));
        if (c == u'\r' && i + 1 < all.size() && all.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    result.append(all.mid(start));
    return result;
}

} // namespace ScriptText
