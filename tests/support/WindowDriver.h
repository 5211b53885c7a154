#pragma once

#include <QApplication>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <functional>

// Drives the real window with real events: finds controls by name, types,
// clicks, and answers the modal dialogs the window opens.
class RecordGrid;

namespace WindowDriver {

template<typename T = QWidget>
T *find(QWidget *root, const QString &name)
{
    T *child = root->findChild<T *>(name);
    if (!child)
        qFatal("no control named %s", qPrintable(name));
    return child;
}

// Shows the page that holds w, so it can take clicks and keys.
void bringToFront(QWidget *w);
void click(QWidget *w);
// Replaces the text of a line edit by typing it.
void typeInto(QWidget *edit, const QString &text);

// Runs action on the next modal dialog that opens (polling the event loop),
// e.g. to fill and accept a file dialog or read and close a message box.
void onNextModal(const std::function<void(QWidget *)> &action);
// Types path into a file dialog's name box and accepts it.
void acceptFileDialog(QWidget *dialog, const QString &path);
// The text of the message box, then closes it with its default or OK button.
QString readAndCloseMessageBox(QWidget *modal);

// A real double-click on the cell that shows store row `row` of a record grid.
void doubleClickCell(RecordGrid *grid, int col, int row);
// A real click, with modifiers held, on the cell that shows store row `row`.
void clickCell(RecordGrid *grid, int col, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
               Qt::MouseButton button = Qt::LeftButton);

QByteArray readFile(const QString &path);
// Whether any file under folder, hidden ones and subfolders included, holds text.
bool anyFileHolds(const QString &folder, const QByteArray &text);
QByteArray cp1251(const QString &text);
// The lines of a file in Windows-1251, split at CR LF.
QStringList fileLines(const QString &path);

} // namespace WindowDriver
