#include "base/Codepage.h"

#include <array>

namespace {

// Reverse map over the whole BMP, built once: 64 KiB, and every lookup is one load.
struct ReverseTable
{
    std::array<short, 0x10000> byteFor{};
    ReverseTable()
    {
        byteFor.fill(-1);
        for (int b = 0; b < 0x80; ++b)
            byteFor[b] = static_cast<short>(b);
        for (int i = 0; i < 0x80; ++i)
            byteFor[Cp1251::detail::kHigh[i]] = static_cast<short>(0x80 + i);
    }
};

const ReverseTable &reverseTable()
{
    static const ReverseTable table;
    return table;
}

} // namespace

namespace Cp1251 {

int fromUnicode(char16_t ch)
{
    return reverseTable().byteFor[ch];
}

bool encodeInto(QStringView text, QByteArray &out)
{
    const auto &table = reverseTable().byteFor;
    bool exact = true;
    out.reserve(out.size() + text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i].unicode();
        if (QChar::isHighSurrogate(ch) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode()))
            ++i; // one code point, one '?'
        const short b = table[ch];
        if (b < 0 || QChar::isSurrogate(ch)) {
            out.append('?');
            exact = false;
        } else {
            out.append(static_cast<char>(b));
        }
    }
    return exact;
}

QString decode(const char *bytes, qsizetype length)
{
    QString text(length, Qt::Uninitialized);
    QChar *dst = text.data();
    for (qsizetype i = 0; i < length; ++i)
        dst[i] = QChar(toUnicode(static_cast<unsigned char>(bytes[i])));
    return text;
}

} // namespace Cp1251
