#pragma once

// CONTRACT FILE: the interface below is what the table loader, the row filter
// and the grid model rely on. The record grid work owns the implementation and
// may add members, but must keep these.

#include <QString>
#include <QStringView>

#include <cstddef>
#include <cstdint>
#include <vector>

enum class CellKind { Text, Number };

// Columnar storage of a record grid's rows: per column one contiguous text
// buffer (or a double array for number columns), plus a visible flag per row.
// Row indexes are the program's addressing; the view's order is the rows'
// order in the store.
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
};
