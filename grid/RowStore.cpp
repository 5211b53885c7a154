#include "grid/RowStore.h"

#include "base/Error.h"
#include "grid/GridCodePage.h"
#include "grid/NumberText.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr std::size_t maxBufferUnits = std::numeric_limits<std::uint32_t>::max();

QString decodeNarrow(std::string_view bytes)
{
    QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    for (std::size_t i = 0; i < bytes.size(); ++i)
        dst[i] = GridCodePage::toUnicode[static_cast<unsigned char>(bytes[i])];
    return out;
}

} // namespace

void RowStore::setColumnKinds(const std::vector<CellKind> &kinds)
{
    m_columns.clear();
    m_columns.resize(kinds.size());
    for (std::size_t c = 0; c < kinds.size(); ++c) {
        m_columns[c].kind = kinds[c];
        m_columns[c].numbers.assign(kinds[c] == CellKind::Number ? m_order.size() : 0, 0.0);
    }
    ++m_generation;
}

int RowStore::columnCount() const
{
    return static_cast<int>(m_columns.size());
}

CellKind RowStore::columnKind(int col) const
{
    if (col < 0 || col >= columnCount())
        return CellKind::Text;
    return m_columns[static_cast<std::size_t>(col)].kind;
}

int RowStore::rowCount() const
{
    return static_cast<int>(m_order.size());
}

void RowStore::clearRows()
{
    // Give the memory back: a catalogue of a million rows is replaced by the next load.
    for (Column &column : m_columns) {
        std::vector<char>().swap(column.bytes);
        std::vector<char16_t>().swap(column.units);
        std::vector<std::uint32_t>().swap(column.offsets);
        std::vector<double>().swap(column.numbers);
        column.wide = false;
        column.filled = 0;
    }
    std::vector<std::uint32_t>().swap(m_order);
    std::vector<std::uint8_t>().swap(m_visible);
    ++m_generation;
    ++m_clearCount;
}

void RowStore::addRows(int count)
{
    if (count < 1)
        return;
    const std::size_t old = m_order.size();
    if (old + static_cast<std::size_t>(count) > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw QmError(QStringLiteral("Too many rows"));
    const std::size_t total = old + static_cast<std::size_t>(count);
    m_order.resize(total);
    for (std::size_t i = old; i < total; ++i)
        m_order[i] = static_cast<std::uint32_t>(i);
    m_visible.resize(total, 1);
    for (Column &column : m_columns) {
        if (column.kind == CellKind::Number)
            column.numbers.resize(total, 0.0);
    }
    ++m_generation;
}

bool RowStore::inside(int col, int row) const
{
    return col >= 0 && col < columnCount() && row >= 0 && row < rowCount();
}

QString RowStore::text(int col, int row) const
{
    if (!inside(col, row))
        return QString();
    return slotText(col, slotOfRow(row));
}

QString RowStore::slotText(int col, int slot) const
{
    const Column &column = m_columns[static_cast<std::size_t>(col)];
    if (column.kind == CellKind::Number)
        return formatNumberText(column.numbers[static_cast<std::size_t>(slot)]);
    if (column.wide) {
        const std::u16string_view cell = wideCell(col, slot);
        return QString(reinterpret_cast<const QChar *>(cell.data()), static_cast<qsizetype>(cell.size()));
    }
    return decodeNarrow(narrowCell(col, slot));
}

void RowStore::setText(int col, int row, QStringView text)
{
    if (!inside(col, row))
        return;
    Column &column = m_columns[static_cast<std::size_t>(col)];
    const auto slot = static_cast<std::uint32_t>(slotOfRow(row));
    if (column.kind == CellKind::Number) {
        column.numbers[slot] = parseNumberText(text);
        ++m_generation;
        return;
    }
    const char16_t *units = reinterpret_cast<const char16_t *>(text.utf16());
    const auto length = static_cast<std::size_t>(text.size());
    if (!column.wide) {
        char small[256];
        std::vector<char> large;
        char *narrow = small;
        if (length > sizeof small) {
            large.resize(length);
            narrow = large.data();
        }
        bool fits = true;
        for (std::size_t i = 0; i < length && fits; ++i) {
            unsigned char byte = 0;
            fits = GridCodePage::fromUnicode(units[i], byte);
            narrow[i] = static_cast<char>(byte);
        }
        if (fits) {
            storeNarrow(column, slot, narrow, length);
            return;
        }
        widen(column);
    }
    storeWide(column, slot, units, length);
}

void RowStore::setTextCp1251(int col, int row, const char *bytes, std::size_t length)
{
    if (!inside(col, row))
        return;
    Column &column = m_columns[static_cast<std::size_t>(col)];
    const auto slot = static_cast<std::uint32_t>(slotOfRow(row));
    if (column.kind == CellKind::Number) {
        double value = 0;
        if (!tryParseNumberText(std::string_view(bytes, length), numberDecimalPoint(), value))
            throw QmError(numberParseErrorText(decodeNarrow(std::string_view(bytes, length))));
        column.numbers[slot] = value;
        ++m_generation;
        return;
    }
    if (!column.wide) {
        storeNarrow(column, slot, bytes, length);
        return;
    }
    const QString wide = decodeNarrow(std::string_view(bytes, length));
    storeWide(column, slot, reinterpret_cast<const char16_t *>(wide.utf16()), length);
}

void RowStore::appendRowCp1251(const char *const *cells, const unsigned long *lengths, int count, QChar decimalPoint)
{
    const std::size_t slot = m_order.size();
    if (slot >= static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw QmError(QStringLiteral("Too many rows"));
    const int given = std::min(count, columnCount());
    for (int c = 0; c < columnCount(); ++c) {
        Column &column = m_columns[static_cast<std::size_t>(c)];
        const bool present = c < given;
        const char *bytes = present && cells[c] ? cells[c] : "";
        const std::size_t length = present && cells[c] ? lengths[c] : 0;
        if (column.kind == CellKind::Number) {
            double value = 0;
            if (present && !tryParseNumberText(std::string_view(bytes, length), decimalPoint, value))
                throw QmError(numberParseErrorText(decodeNarrow(std::string_view(bytes, length))));
            column.numbers.push_back(value);
        } else if (!column.wide) {
            appendCell(column, column.bytes, bytes, length);
        } else {
            const QString wide = decodeNarrow(std::string_view(bytes, length));
            appendCell(column, column.units, reinterpret_cast<const char16_t *>(wide.utf16()), length);
        }
    }
    m_order.push_back(static_cast<std::uint32_t>(slot));
    m_visible.push_back(1);
    ++m_generation;
}

template<typename Unit>
void RowStore::appendCell(Column &column, std::vector<Unit> &buffer, const Unit *data, std::size_t length)
{
    if (buffer.size() + length > maxBufferUnits)
        throw QmError(QStringLiteral("The column holds too much text"));
    if (column.offsets.empty())
        column.offsets.push_back(0);
    // Rows added empty before this one have no cells in the buffer yet.
    const auto slot = static_cast<std::uint32_t>(m_order.size());
    if (column.filled < slot) {
        column.offsets.resize(slot + 1, column.offsets.back());
        column.filled = slot;
    }
    buffer.insert(buffer.end(), data, data + length);
    column.offsets.push_back(static_cast<std::uint32_t>(buffer.size()));
    ++column.filled;
}

void RowStore::reserveForRows(std::size_t rows)
{
    const std::size_t held = m_order.size();
    if (held == 0 || rows <= held)
        return;
    auto scaled = [&](std::size_t used) {
        return std::min(static_cast<std::size_t>(static_cast<double>(used) / static_cast<double>(held)
                                                 * static_cast<double>(rows) * 1.25),
                        maxBufferUnits);
    };
    m_order.reserve(rows);
    m_visible.reserve(rows);
    for (Column &column : m_columns) {
        if (column.kind == CellKind::Number) {
            column.numbers.reserve(rows);
            continue;
        }
        column.offsets.reserve(rows + 1);
        if (column.wide)
            column.units.reserve(scaled(column.units.size()));
        else
            column.bytes.reserve(scaled(column.bytes.size()));
    }
}

void RowStore::takeRows(RowStore &other)
{
    if (other.m_columns.size() != m_columns.size())
        throw QmError(QStringLiteral("The loaded rows do not fit the grid's columns"));
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        if (other.m_columns[c].kind != m_columns[c].kind)
            throw QmError(QStringLiteral("The loaded rows do not fit the grid's columns"));
    }
    clearRows();
    m_columns.swap(other.m_columns);
    m_order.swap(other.m_order);
    m_visible.swap(other.m_visible);
    other.clearRows();
}

void RowStore::storeNarrow(Column &column, std::uint32_t slot, const char *bytes, std::size_t length)
{
    storeCell(column, column.bytes, slot, bytes, length);
}

void RowStore::storeWide(Column &column, std::uint32_t slot, const char16_t *units, std::size_t length)
{
    storeCell(column, column.units, slot, units, length);
}

// Cells are written in slot order by a load, which appends; a rewrite of the
// same length stays in place, and any other rewrite moves the tail of the buffer.
template<typename Unit>
void RowStore::storeCell(Column &column, std::vector<Unit> &buffer, std::uint32_t slot, const Unit *data, std::size_t length)
{
    std::vector<std::uint32_t> &offsets = column.offsets;
    if (offsets.empty())
        offsets.push_back(0);
    if (slot >= column.filled) {
        if (buffer.size() + length > maxBufferUnits)
            throw QmError(QStringLiteral("The column holds too much text"));
        // A load knows its row count before the first cell: size the offsets
        // once and the text by the average so far, instead of doubling.
        if (offsets.capacity() < m_order.size() + 1)
            offsets.reserve(m_order.size() + 1);
        if (buffer.size() + length > buffer.capacity()) {
            const std::size_t needed = buffer.size() + length;
            const double perSlot = static_cast<double>(needed) / (slot + 1);
            const auto estimate = static_cast<std::size_t>(perSlot * static_cast<double>(m_order.size()) * 1.05) + 64;
            buffer.reserve(std::min(std::max(estimate, needed + needed / 2), maxBufferUnits));
        }
        const auto end = static_cast<std::uint32_t>(buffer.size());
        offsets.resize(slot + 1, end);
        buffer.insert(buffer.end(), data, data + length);
        offsets.push_back(static_cast<std::uint32_t>(buffer.size()));
        column.filled = slot + 1;
    } else {
        const std::uint32_t begin = offsets[slot];
        const std::uint32_t oldLength = offsets[slot + 1] - begin;
        if (oldLength == length) {
            std::copy(data, data + length, buffer.begin() + begin);
        } else {
            if (buffer.size() - oldLength + length > maxBufferUnits)
                throw QmError(QStringLiteral("The column holds too much text"));
            if (length > oldLength)
                buffer.insert(buffer.begin() + begin + oldLength, length - oldLength, Unit());
            else
                buffer.erase(buffer.begin() + begin + static_cast<std::ptrdiff_t>(length), buffer.begin() + begin + oldLength);
            std::copy(data, data + length, buffer.begin() + begin);
            const auto delta = static_cast<std::uint32_t>(length - oldLength); // wraps as intended
            for (std::size_t s = slot + 1; s < offsets.size(); ++s)
                offsets[s] += delta;
        }
    }
    ++m_generation;
}

void RowStore::widen(Column &column)
{
    column.units.resize(column.bytes.size());
    for (std::size_t i = 0; i < column.bytes.size(); ++i)
        column.units[i] = GridCodePage::toUnicode[static_cast<unsigned char>(column.bytes[i])];
    std::vector<char>().swap(column.bytes);
    column.wide = true;
}

bool RowStore::isVisible(int row) const
{
    if (row < 0 || row >= rowCount())
        return false;
    return m_visible[m_order[static_cast<std::size_t>(row)]] != 0;
}

void RowStore::setVisible(int row, bool visible)
{
    if (row < 0 || row >= rowCount())
        return;
    m_visible[m_order[static_cast<std::size_t>(row)]] = visible ? 1 : 0;
}

void RowStore::setRowsVisible(const std::vector<std::uint8_t> &flags)
{
    const std::size_t n = std::min(flags.size(), m_order.size());
    for (std::size_t row = 0; row < n; ++row)
        m_visible[m_order[row]] = flags[row] != 0 ? 1 : 0;
}

void RowStore::collectVisibleRows(std::vector<int> &out) const
{
    // Every row is written and only the visible ones advance: no branch for
    // the flag, which a filter leaves in no predictable pattern.
    const std::size_t n = m_order.size();
    out.resize(n);
    const std::uint32_t *order = m_order.data();
    const std::uint8_t *visible = m_visible.data();
    int *dst = out.data();
    std::size_t count = 0;
    for (std::size_t row = 0; row < n; ++row) {
        dst[count] = static_cast<int>(row);
        count += visible[order[row]];
    }
    out.resize(count);
}

void RowStore::setOrder(std::vector<std::uint32_t> order)
{
    if (order.size() != m_order.size())
        return;
    m_order = std::move(order);
    ++m_generation;
}

void RowStore::reverseOrder()
{
    std::reverse(m_order.begin(), m_order.end());
    ++m_generation;
}

bool RowStore::isWide(int col) const
{
    return m_columns[static_cast<std::size_t>(col)].wide;
}

std::string_view RowStore::narrowCell(int col, int slot) const
{
    const Column &column = m_columns[static_cast<std::size_t>(col)];
    const auto s = static_cast<std::uint32_t>(slot);
    if (s >= column.filled)
        return {};
    const std::uint32_t begin = column.offsets[s];
    return std::string_view(column.bytes.data() + begin, column.offsets[s + 1] - begin);
}

std::u16string_view RowStore::wideCell(int col, int slot) const
{
    const Column &column = m_columns[static_cast<std::size_t>(col)];
    const auto s = static_cast<std::uint32_t>(slot);
    if (s >= column.filled)
        return {};
    const std::uint32_t begin = column.offsets[s];
    return std::u16string_view(column.units.data() + begin, column.offsets[s + 1] - begin);
}

double RowStore::numberCell(int col, int slot) const
{
    return m_columns[static_cast<std::size_t>(col)].numbers[static_cast<std::size_t>(slot)];
}

RowStore::NarrowColumn RowStore::narrowColumn(int col) const
{
    const Column &column = m_columns[static_cast<std::size_t>(col)];
    return NarrowColumn { column.bytes.data(), column.offsets.data(), static_cast<int>(column.filled) };
}

std::size_t RowStore::memoryBytes() const
{
    std::size_t total = m_order.capacity() * sizeof(std::uint32_t) + m_visible.capacity();
    for (const Column &column : m_columns) {
        total += column.bytes.capacity() + column.units.capacity() * sizeof(char16_t)
            + column.offsets.capacity() * sizeof(std::uint32_t) + column.numbers.capacity() * sizeof(double);
    }
    return total;
}
