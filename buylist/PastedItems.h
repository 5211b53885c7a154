#pragma once

#include <QList>
#include <QString>

// One line of a pasted list of goods: "item id" or "item id<Tab>price", as a
// spreadsheet copies two columns.
struct PastedItem
{
    QString itemId;
    QString price;  // empty: none was given
    bool hasPrice = false;
};

// The lines of text that name an item, blanks around each cell dropped; empty
// lines are skipped and cells after the second are ignored.
QList<PastedItem> readPastedItems(const QString &text);
