#include "widgets/GridSort.h"

#include "app/Error.h"
#include "widgets/GridCodePage.h"
#include "widgets/NumberText.h"
#include "widgets/RowStore.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

struct Keyed
{
    std::uint64_t prefix;
    std::uint32_t slot;
};

// The first code units of a cell, most significant first, so that comparing
// prefixes agrees with comparing the texts wherever the prefixes differ.
std::uint64_t narrowPrefix(std::string_view cell)
{
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        key <<= 8;
        if (i < cell.size())
            key |= GridCodePage::rank[static_cast<unsigned char>(cell[i])];
    }
    return key;
}

std::uint64_t widePrefix(std::u16string_view cell)
{
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        key <<= 16;
        if (i < cell.size())
            key |= cell[i];
    }
    return key;
}

int compareNarrow(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] != b[i]) {
            const int ra = GridCodePage::rank[static_cast<unsigned char>(a[i])];
            const int rb = GridCodePage::rank[static_cast<unsigned char>(b[i])];
            return ra - rb;
        }
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

template<typename Less>
void sortKeyed(std::vector<Keyed> &keys, bool descending, Less less)
{
    if (descending)
        std::sort(keys.begin(), keys.end(), [&less](const Keyed &a, const Keyed &b) { return less(b, a); });
    else
        std::sort(keys.begin(), keys.end(), less);
}

void applyKeyed(RowStore &store, const std::vector<Keyed> &keys)
{
    std::vector<std::uint32_t> order(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        order[i] = keys[i].slot;
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
    const std::vector<std::uint32_t> &order = store.order();
    std::vector<Keyed> keys(order.size());
    if (store.isWide(col)) {
        for (std::size_t i = 0; i < order.size(); ++i)
            keys[i] = Keyed { widePrefix(store.wideCell(col, static_cast<int>(order[i]))), order[i] };
        sortKeyed(keys, descending, [&store, col](const Keyed &a, const Keyed &b) {
            if (a.prefix != b.prefix)
                return a.prefix < b.prefix;
            return store.wideCell(col, static_cast<int>(a.slot)) < store.wideCell(col, static_cast<int>(b.slot));
        });
    } else {
        for (std::size_t i = 0; i < order.size(); ++i)
            keys[i] = Keyed { narrowPrefix(store.narrowCell(col, static_cast<int>(order[i]))), order[i] };
        sortKeyed(keys, descending, [&store, col](const Keyed &a, const Keyed &b) {
            if (a.prefix != b.prefix)
                return a.prefix < b.prefix;
            return compareNarrow(store.narrowCell(col, static_cast<int>(a.slot)),
                                 store.narrowCell(col, static_cast<int>(b.slot))) < 0;
        });
    }
    applyKeyed(store, keys);
}

void sortRowsNumeric(RowStore &store, int col, bool descending)
{
    if (!validColumn(store, col))
        return;
    const std::vector<std::uint32_t> &order = store.order();
    std::vector<std::pair<double, std::uint32_t>> keys(order.size());
    if (store.columnKind(col) == CellKind::Number) {
        for (std::size_t i = 0; i < order.size(); ++i)
            keys[i] = { store.numberCell(col, static_cast<int>(order[i])), order[i] };
    } else {
        const QChar point = numberDecimalPoint();
        const bool wide = store.isWide(col);
        for (std::size_t i = 0; i < order.size(); ++i) {
            const int slot = static_cast<int>(order[i]);
            double value = 0;
            const bool ok = wide
                ? tryParseNumberText(QStringView(store.wideCell(col, slot)), point, value)
                : tryParseNumberText(store.narrowCell(col, slot), point, value);
            if (!ok)
                throw QmError(numberParseErrorText(store.slotText(col, slot)));
            keys[i] = { value, order[i] };
        }
    }
    if (descending)
        std::sort(keys.begin(), keys.end(), [](const auto &a, const auto &b) { return b.first < a.first; });
    else
        std::sort(keys.begin(), keys.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<std::uint32_t> sorted(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        sorted[i] = keys[i].second;
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
