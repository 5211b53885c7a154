#pragma once

// How the fuzz targets turn bytes into the text an editor could hold.

#include <QString>

#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstdlib>

#define FUZZ_REQUIRE(ok) ((ok) ? void() : FuzzText::fail(#ok, __FILE__, __LINE__))

namespace FuzzText {

// Names the broken expectation before the crash that libFuzzer keeps.
[[noreturn]] inline void fail(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: expected %s\n", file, line, what);
    std::abort();
}

// The low two bits of `head` pick how `data` becomes text: UTF-8, Latin-1 or
// raw UTF-16 code units (lone and paired surrogates included).
inline QString decode(std::uint8_t head, const std::uint8_t *data, std::size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const auto n = qsizetype(size);
    switch (head & 3) {
    case 0: return QString::fromUtf8(bytes, n);
    case 1: return QString::fromLatin1(bytes, n);
    default: {
        QString s;
        for (qsizetype i = 0; i + 1 < n; i += 2)
            s.append(QChar(char16_t(std::uint8_t(bytes[i]) | (std::uint8_t(bytes[i + 1]) << 8))));
        return s;
    }
    }
}

} // namespace FuzzText
