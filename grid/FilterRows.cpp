#include "grid/FilterRows.h"

#include "grid/GridCodePage.h"
#include "grid/RowStore.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

char16_t upperUnit(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// First position in [p, end) holding a or b.
const unsigned char *findEither(const unsigned char *p, const unsigned char *end, unsigned char a, unsigned char b)
{
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(static_cast<char>(a));
    const __m128i vb = _mm_set1_epi8(static_cast<char>(b));
    while (end - p >= 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(chunk, va), _mm_cmpeq_epi8(chunk, vb));
        const int mask = _mm_movemask_epi8(hit);
        if (mask != 0)
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    for (; p < end; ++p) {
        if (*p == a || *p == b)
            return p;
    }
    return end;
}

// First position in [p, end - 1) where a byte of {a1, b1} is followed by one
// of {a2, b2}: two pattern bytes at once leave far fewer false starts than one.
const unsigned char *findPair(const unsigned char *p, const unsigned char *end, unsigned char a1, unsigned char b1,
                              unsigned char a2, unsigned char b2)
{
#if defined(__SSE2__)
    const __m128i va1 = _mm_set1_epi8(static_cast<char>(a1));
    const __m128i vb1 = _mm_set1_epi8(static_cast<char>(b1));
    const __m128i va2 = _mm_set1_epi8(static_cast<char>(a2));
    const __m128i vb2 = _mm_set1_epi8(static_cast<char>(b2));
    while (end - p >= 17) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 1));
        const __m128i hit = _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(first, va1), _mm_cmpeq_epi8(first, vb1)),
                                          _mm_or_si128(_mm_cmpeq_epi8(second, va2), _mm_cmpeq_epi8(second, vb2)));
        const int mask = _mm_movemask_epi8(hit);
        if (mask != 0)
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    for (; p + 1 < end; ++p) {
        if ((p[0] == a1 || p[0] == b1) && (p[1] == a2 || p[1] == b2))
            return p;
    }
    return end;
}

unsigned char lowerOf(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}

// Narrow column: one search through the whole buffer, where a hit counts for
// the cell it starts in when it also ends there.
void filterNarrow(const RowStore::NarrowColumn column, const std::string &pattern, std::uint8_t *visible, int slots)
{
    std::fill(visible, visible + slots, std::uint8_t(0));
    if (column.filledSlots == 0)
        return;
    const auto *base = reinterpret_cast<const unsigned char *>(column.bytes);
    const auto *end = base + column.offsets[column.filledSlots];
    const auto *pat = reinterpret_cast<const unsigned char *>(pattern.data());
    const std::size_t m = pattern.size();
    const unsigned char first = pat[0];
    const unsigned char firstLower = lowerOf(first);
    const unsigned char second = m > 1 ? pat[1] : 0;
    const unsigned char secondLower = lowerOf(second);
    const auto &upper = GridCodePage::upperAscii;
    const std::uint32_t *offsets = column.offsets;

    int slot = 0;
    const unsigned char *p = base;
    while (p < end) {
        p = m > 1 ? findPair(p, end, first, firstLower, second, secondLower) : findEither(p, end, first, firstLower);
        if (p + m > end)
            break;
        const auto pos = static_cast<std::uint32_t>(p - base);
        while (offsets[slot + 1] <= pos)
            ++slot;
        const std::uint32_t cellEnd = offsets[slot + 1];
        if (pos + m > cellEnd) {
            // Too close to the end of its cell: no later start there fits either.
            p = base + cellEnd;
            continue;
        }
        std::size_t k = 1;
        while (k < m && upper[p[k]] == pat[k])
            ++k;
        if (k == m) {
            visible[slot] = 1;
            p = base + cellEnd;
        } else {
            ++p;
        }
    }
}

bool containsUpper(std::u16string_view cell, const std::u16string &pattern)
{
    const std::size_t m = pattern.size();
    if (cell.size() < m)
        return false;
    for (std::size_t i = 0; i + m <= cell.size(); ++i) {
        std::size_t k = 0;
        while (k < m && upperUnit(cell[i + k]) == pattern[k])
            ++k;
        if (k == m)
            return true;
    }
    return false;
}

} // namespace

void FilterRows(RowStore &store, int column, QStringView text)
{
    const int rows = store.rowCount();
    if (rows == 0)
        return;
    std::vector<std::uint8_t> &visible = store.slotVisibility();
    if (text.isEmpty()) {
        std::fill(visible.begin(), visible.end(), std::uint8_t(1));
        return;
    }
    std::u16string pattern(static_cast<std::size_t>(text.size()), u'\0');
    for (qsizetype i = 0; i < text.size(); ++i)
        pattern[static_cast<std::size_t>(i)] = upperUnit(text[i].unicode());

    // A cell outside the store reads as empty text, which contains no pattern.
    if (column < 0 || column >= store.columnCount()) {
        std::fill(visible.begin(), visible.end(), std::uint8_t(0));
        return;
    }

    if (store.columnKind(column) == CellKind::Text && !store.isWide(column)) {
        std::string narrow(pattern.size(), '\0');
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            unsigned char byte = 0;
            if (!GridCodePage::fromUnicode(pattern[i], byte)) {
                // Nothing in a narrow column can hold this character.
                std::fill(visible.begin(), visible.end(), std::uint8_t(0));
                return;
            }
            narrow[i] = static_cast<char>(byte);
        }
        filterNarrow(store.narrowColumn(column), narrow, visible.data(), rows);
        return;
    }

    for (int slot = 0; slot < rows; ++slot) {
        bool match = false;
        if (store.columnKind(column) == CellKind::Text) {
            match = containsUpper(store.wideCell(column, slot), pattern);
        } else {
            const QString cell = store.slotText(column, slot);
            match = containsUpper(std::u16string_view(reinterpret_cast<const char16_t *>(cell.utf16()),
                                                      static_cast<std::size_t>(cell.size())), pattern);
        }
        visible[static_cast<std::size_t>(slot)] = match ? 1 : 0;
    }
}
