#include "grid/GridSort.h"

#include "base/Error.h"
#include "grid/GridCodePage.h"
#include "grid/NumberText.h"
#include "grid/RowStore.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

// Two chunks of a cell, most significant first, the units left from the
// first chunk on (capped just above what the chunks hold), and the slot.
struct Keyed
{
    std::uint64_t high;
    std::uint64_t low;
    std::uint32_t rest;
    std::uint32_t slot;
};

bool keyLess(const Keyed &a, const Keyed &b)
{
    if (a.high != b.high)
        return a.high < b.high;
    if (a.low != b.low)
        return a.low < b.low;
    return a.rest < b.rest;
}

bool keyEqual(const Keyed &a, const Keyed &b)
{
    return a.high == b.high && a.low == b.low && a.rest == b.rest;
}

// One chunk of a cell from code unit `from`, most significant first, with
// 8 bits per narrow byte (its rank in UTF-16 order) or 16 per wide unit.
std::uint64_t chunkOf(std::string_view cell, std::size_t from)
{
    // Bytes below 0x80 are their own rank: eight of them load as one word.
    if (from + 8 <= cell.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, cell.data() + from, 8);
        if ((word & 0x8080808080808080ULL) == 0) {
            if constexpr (std::endian::native == std::endian::little)
                return __builtin_bswap64(word);
            else
                return word;
        }
    }
    std::uint64_t key = 0;
    for (std::size_t i = from; i < from + 8; ++i) {
        key <<= 8;
        if (i < cell.size())
            key |= GridCodePage::rank[static_cast<unsigned char>(cell[i])];
    }
    return key;
}

std::uint64_t chunkOf(std::u16string_view cell, std::size_t from)
{
    std::uint64_t key = 0;
    for (std::size_t i = from; i < from + 4; ++i) {
        key <<= 16;
        if (i < cell.size())
            key |= cell[i];
    }
    return key;
}

// Sorts texts two chunks at a time: each round orders by (chunks, units left) and
// hands every run of equal keys whose texts go on to the next round. Equal
// chunks with fewer units left mean the shorter text is a prefix of the
// longer, so it comes first. Every cell is read once per round it takes part
// in, instead of once per comparison.
template<typename Cell>
void sortTexts(std::vector<Keyed> &keys, const Cell &cellOf, std::size_t unitsPerChunk)
{
    const std::size_t unitsPerRound = 2 * unitsPerChunk;
    struct Run
    {
        std::size_t begin;
        std::size_t end;
        std::size_t from;
    };
    std::vector<Run> runs { Run { 0, keys.size(), 0 } };
    while (!runs.empty()) {
        const Run run = runs.back();
        runs.pop_back();
        for (std::size_t i = run.begin; i < run.end; ++i) {
            const auto cell = cellOf(keys[i].slot);
            keys[i].high = chunkOf(cell, run.from);
            keys[i].low = chunkOf(cell, run.from + unitsPerChunk);
            const std::size_t left = cell.size() > run.from ? cell.size() - run.from : 0;
            keys[i].rest = static_cast<std::uint32_t>(std::min<std::size_t>(left, unitsPerRound + 1));
        }
        std::sort(keys.begin() + static_cast<std::ptrdiff_t>(run.begin),
                  keys.begin() + static_cast<std::ptrdiff_t>(run.end), keyLess);
        for (std::size_t i = run.begin; i < run.end;) {
            std::size_t j = i + 1;
            while (j < run.end && keyEqual(keys[j], keys[i]))
                ++j;
            if (j - i > 1 && keys[i].rest > unitsPerRound)
                runs.push_back(Run { i, j, run.from + unitsPerRound });
            i = j;
        }
    }
}

void applyKeyed(RowStore &store, const std::vector<Keyed> &keys, bool descending)
{
    std::vector<std::uint32_t> order(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        order[i] = keys[i].slot;
    // Equal keys may stand in any order, so descending is ascending reversed.
    if (descending)
        std::reverse(order.begin(), order.end());
    store.setOrder(std::move(order));
}

bool validColumn(const RowStore &store, int col)
{
    return col >= 0 && col < store.columnCount() && store.rowCount() > 0;
}

} // namespace

void sortRowsAlphabetic(RowStore &store, int col, bool descending)
{
    if (!validColumn(store, col))
        return;
    if (store.columnKind(col) == CellKind::Number) {
        // Rare: an alphabetic number column compares the text form.
        sortRowsCustom(store, col, descending, [](const QString &a, const QString &b) { return QStringView(a).compare(b); });
        return;
    }
    // Equal keys may end in any order, so the keys start in slot order: the
    // first round then reads each column buffer front to back.
    std::vector<Keyed> keys(store.order().size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        keys[i].slot = static_cast<std::uint32_t>(i);
    if (store.isWide(col))
        sortTexts(keys, [&store, col](std::uint32_t slot) { return store.wideCell(col, static_cast<int>(slot)); }, 4);
    else
    {
        const RowStore::NarrowColumn column = store.narrowColumn(col);
        const auto filled = static_cast<std::uint32_t>(column.filledSlots);
        sortTexts(keys, [column, filled](std::uint32_t slot) {
            if (slot >= filled)
                return std::string_view();
            return std::string_view(column.bytes + column.offsets[slot], column.offsets[slot + 1] - column.offsets[slot]);
        }, 8);
    }
    applyKeyed(store, keys, descending);
}

void sortRowsNumeric(RowStore &store, int col, bool descending)
{
    if (!validColumn(store, col))
        return;
    // Keys in slot order, read front to back; the row order only matters for
    // naming the first text that is no number.
    const std::size_t slots = store.order().size();
    std::vector<std::pair<double, std::uint32_t>> keys(slots);
    if (store.columnKind(col) == CellKind::Number) {
        for (std::size_t s = 0; s < slots; ++s)
            keys[s] = { store.numberCell(col, static_cast<int>(s)), static_cast<std::uint32_t>(s) };
    } else {
        const QChar point = numberDecimalPoint();
        const bool wide = store.isWide(col);
        bool failed = false;
        for (std::size_t s = 0; s < slots; ++s) {
            const int slot = static_cast<int>(s);
            double value = 0;
            const bool ok = wide
                ? tryParseNumberText(QStringView(store.wideCell(col, slot)), point, value)
                : tryParseNumberText(store.narrowCell(col, slot), point, value);
            if (!ok) {
                failed = true;
                value = std::numeric_limits<double>::quiet_NaN();
            }
            keys[s] = { value, static_cast<std::uint32_t>(s) };
        }
        if (failed) {
            for (const std::uint32_t slot : store.order()) {
                if (std::isnan(keys[slot].first))
                    throw QmError(numberParseErrorText(store.slotText(col, static_cast<int>(slot))));
            }
        }
    }
    std::sort(keys.begin(), keys.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<std::uint32_t> sorted(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        sorted[i] = keys[i].second;
    if (descending)
        std::reverse(sorted.begin(), sorted.end());
    store.setOrder(std::move(sorted));
}

void sortRowsCustom(RowStore &store, int col, bool descending,
                    const std::function<int(const QString &, const QString &)> &compare)
{
    if (!validColumn(store, col))
        return;
    if (!compare) {
        sortRowsAlphabetic(store, col, descending);
        return;
    }
    // A merge sort stays within bounds even when the owner's comparison is
    // not a consistent order.
    const std::vector<std::uint32_t> &order = store.order();
    std::vector<std::pair<QString, std::uint32_t>> keys(order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        keys[i] = { store.slotText(col, static_cast<int>(order[i])), order[i] };
    if (descending)
        std::stable_sort(keys.begin(), keys.end(), [&compare](const auto &a, const auto &b) { return compare(b.first, a.first) < 0; });
    else
        std::stable_sort(keys.begin(), keys.end(), [&compare](const auto &a, const auto &b) { return compare(a.first, b.first) < 0; });
    std::vector<std::uint32_t> sorted(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        sorted[i] = keys[i].second;
    store.setOrder(std::move(sorted));
}
