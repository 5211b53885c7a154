#pragma once

// CONTRACT FILE: the interface below is what the table loader, the row filter
// and the grid model rely on. The record grid work owns the implementation and
// may add members, but must keep these.

#include <QString>
#include <QStringView>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

enum class CellKind { Text, Number };

// Columnar storage of a record grid's rows: per column one contiguous text
// buffer (or a double array for number columns), plus a visible flag per row.
// Row indexes are the program's addressing; the view's order is the rows'
// order in the store.
//
// Inside, every row lives in a slot that never moves: a column's cells stand
// in its buffer in slot order, and the row order is a list of slots, so a sort
// or a flip rewrites only that list. Text columns hold Windows-1251 bytes as
// long as every cell fits that code page and turn to UTF-16 when one does not.
class RowStore
{
public:
    void setColumnKinds(const std::vector<CellKind> &kinds);
    int columnCount() const;
    CellKind columnKind(int col) const;

    int rowCount() const;
    void clearRows();
    // Appends count empty rows (text "" / number 0), all visible; nothing if count < 1.
    void addRows(int count);

    // Cell text; number cells in their general-format text. Empty outside the store.
    QString text(int col, int row) const;
    // Stores the text; number cells parse it and throw QmError
    // "'%s' is not a valid floating point value". Ignored outside the store.
    void setText(int col, int row, QStringView text);
    // The loader's fast path: bytes in the Windows-1251 code page, as the server sent them.
    void setTextCp1251(int col, int row, const char *bytes, std::size_t length);

    bool isVisible(int row) const;
    void setVisible(int row, bool visible);

    // --- Beyond the contract: bulk passes and the physical layout. ---

    // A streamed load's fast path: appends one visible row whose cell c holds
    // cells[c] (lengths[c] bytes of Windows-1251; a null pointer is an empty
    // text) for c < count; the store's other columns stay empty or 0. Number
    // cells parse with the given decimal point and throw the parse error,
    // which leaves the store to be cleared. Buffers grow by doubling.
    void appendRowCp1251(const char *const *cells, const unsigned long *lengths, int count, QChar decimalPoint);
    // Makes room for rows rows in every buffer, text buffers sized by the
    // rows already held (with a quarter to spare). Spare room that is never
    // written costs address space, not memory, for large buffers.
    void reserveForRows(std::size_t rows);
    // Replaces every row by those of other, whose columns must be of the same
    // kinds, without copying; other is left without rows. Counts as a clear.
    void takeRows(RowStore &other);

    // Sets the visible flag of every row in one pass; flags[row] != 0 shows it.
    // The vector must hold rowCount() entries.
    void setRowsVisible(const std::vector<std::uint8_t> &flags);
    // Appends the indexes of the visible rows, in row order, to out (cleared first).
    void collectVisibleRows(std::vector<int> &out) const;

    // Counts every change of cells, rows or row order; equal values mean
    // nothing changed in between.
    std::uint64_t generation() const { return m_generation; }
    // Counts the calls of clearRows: a change tells that every earlier row is gone.
    std::uint64_t clearCount() const { return m_clearCount; }

    int slotOfRow(int row) const { return static_cast<int>(m_order[static_cast<std::size_t>(row)]); }
    const std::vector<std::uint32_t> &order() const { return m_order; }
    // Replaces the row order by a permutation of the slots.
    void setOrder(std::vector<std::uint32_t> order);
    void reverseOrder();

    bool isWide(int col) const;
    std::string_view narrowCell(int col, int slot) const;
    std::u16string_view wideCell(int col, int slot) const;
    double numberCell(int col, int slot) const;
    QString slotText(int col, int slot) const;

    // A narrow column's buffer: the cell of slot s is bytes[offsets[s], offsets[s + 1])
    // for s < filledSlots; later slots are empty.
    struct NarrowColumn
    {
        const char *bytes;
        const std::uint32_t *offsets;
        int filledSlots;
    };
    NarrowColumn narrowColumn(int col) const;
    // Visible flag per slot, for the filter's pass over a column.
    std::vector<std::uint8_t> &slotVisibility() { return m_visible; }

    // Bytes held for the cells, offsets and row bookkeeping.
    std::size_t memoryBytes() const;

private:
    struct Column
    {
        CellKind kind = CellKind::Text;
        bool wide = false;
        std::vector<char> bytes;
        std::vector<char16_t> units;
        std::vector<std::uint32_t> offsets;
        std::vector<double> numbers;
        std::uint32_t filled = 0;
    };

    bool inside(int col, int row) const;
    void widen(Column &column);
    void storeNarrow(Column &column, std::uint32_t slot, const char *bytes, std::size_t length);
    void storeWide(Column &column, std::uint32_t slot, const char16_t *units, std::size_t length);
    template<typename Unit>
    void appendCell(Column &column, std::vector<Unit> &buffer, const Unit *data, std::size_t length);
    template<typename Unit>
    void storeCell(Column &column, std::vector<Unit> &buffer, std::uint32_t slot, const Unit *data, std::size_t length);

    std::vector<Column> m_columns;
    std::vector<std::uint32_t> m_order;
    std::vector<std::uint8_t> m_visible;
    std::uint64_t m_generation = 0;
    std::uint64_t m_clearCount = 0;
};
