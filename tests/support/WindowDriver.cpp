#include "WindowDriver.h"

#include "base/Codepage.h"
#include "grid/RecordGrid.h"
#include "grid/RecordGridModel.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTabWidget>
#include <QTimer>

namespace WindowDriver {

void bringToFront(QWidget *w)
{
    for (QWidget *p = w; p; p = p->parentWidget()) {
        if (auto *tabs = qobject_cast<QTabWidget *>(p->parentWidget() ? p->parentWidget()->parentWidget() : nullptr)) {
            const int index = tabs->indexOf(p);
            if (index >= 0)
                tabs->setCurrentIndex(index);
        }
    }
    QApplication::processEvents();
}

void click(QWidget *w)
{
    bringToFront(w);
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
}

void typeInto(QWidget *edit, const QString &text)
{
    bringToFront(edit);
    edit->setFocus();
    if (auto *line = qobject_cast<QLineEdit *>(edit))
        line->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    for (const QChar ch : text) {
        if (ch.unicode() < 0x7f && ch.unicode() >= 0x20)
            QTest::keyClick(edit, char(ch.unicode()));
        else // what a keyboard layout or an input method delivers for other characters
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

void onNextModal(const std::function<void(QWidget *)> &action)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start();
}

void acceptFileDialog(QWidget *dialog, const QString &path)
{
    auto *fileDialog = qobject_cast<QFileDialog *>(dialog);
    if (!fileDialog) {
        dialog->close();
        return;
    }
    // As the operator does: type the name into the dialog's name box and press Enter.
    auto *nameBox = fileDialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    nameBox->setText(path);
    QTest::keyClick(nameBox, Qt::Key_Return);
}

QString readAndCloseMessageBox(QWidget *modal)
{
    auto *box = qobject_cast<QMessageBox *>(modal);
    if (!box)
        return QStringLiteral("<not a message box: %1>").arg(QLatin1String(modal->metaObject()->className()));
    const QString text = box->text();
    QAbstractButton *button = box->defaultButton();
    if (!button)
        button = box->button(QMessageBox::Ok);
    if (button)
        button->click();
    else
        box->reject();
    return text;
}

void doubleClickCell(RecordGrid *grid, int col, int row)
{
    bringToFront(grid);
    const QModelIndex index = grid->model()->index(grid->gridModel()->viewRow(row), col);
    if (!index.isValid())
        qFatal("row %d is not shown", row);
    QApplication::processEvents();
    grid->scrollTo(index);
    QApplication::processEvents();
    const QPoint centre = grid->visualRect(index).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, centre);
}

void clickCell(RecordGrid *grid, int col, int row, Qt::KeyboardModifiers modifiers, Qt::MouseButton button)
{
    bringToFront(grid);
    const QModelIndex index = grid->model()->index(grid->gridModel()->viewRow(row), col);
    if (!index.isValid())
        qFatal("row %d is not shown", row);
    grid->scrollTo(index);
    QApplication::processEvents();
    QTest::mouseClick(grid->viewport(), button, modifiers, grid->visualRect(index).center());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<missing>");
    return file.readAll();
}

bool anyFileHolds(const QString &folder, const QByteArray &text)
{
    QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        if (readFile(files.next()).contains(text))
            return true;
    }
    return false;
}

QByteArray cp1251(const QString &text)
{
    QByteArray out;
    Cp1251::encodeInto(text, out);
    return out;
}

QStringList fileLines(const QString &path)
{
    const QByteArray bytes = readFile(path);
    QStringList lines = Cp1251::decode(bytes.constData(), bytes.size()).split(QStringLiteral("\r\n"));
    return lines;
}

} // namespace WindowDriver
