#include "TestWindow.h"
#include "WindowDriver.h"

#include "app/TextPane.h"
#include "editor/SqlEditor.h"
#include "grid/RecordGrid.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace WindowDriver;

namespace {

const QString kSaved = u"SET NAMES cp1251;\r\n-- своё\r\n#weapon  Меч 'Рассвет'\r\n"
                       u"INSERT INTO `merchant_buylists` VALUES (2,5400,7,4,-1,-1,0,0);\r\n\r\n"
                       u"#shop id  7\r\nINSERT INTO `merchant_shopids` VALUES(7,31);\r\n\r\n"
                       u"#weapon  Лук\r\nINSERT INTO `merchant_buylists` VALUES (5,100,7,2,-1,-1,0,0);\r\n\r\n"_s;

QStringList contentsValues(RecordGrid *grid)
{
    QStringList rows;
    for (int row = 0; row < grid->RowCount(); ++row)
        rows << grid->Cells(0, row) + u' ' + grid->Cells(3, row) + u' ' + grid->Cells(4, row);
    return rows;
}

// Opens path through the button and the dialog; returns the text of a message shown after it.
QString openThroughDialog(TForm1 *form, const QString &path, bool message = false)
{
    QString shown;
    onNextModal([&](QWidget *dialog) {
        if (message)
            onNextModal([&](QWidget *box) { shown = readAndCloseMessageBox(box); });
        acceptFileDialog(dialog, path);
    });
    click(form->findChild<QWidget *>(u"Button10"_s));
    QTest::qWait(100);
    return shown;
}

} // namespace

class tst_ScriptOpen : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aScriptOpensAsEntriesOrIsRefused_data()
    {
        QTest::addColumn<QString>("kind");  // "bytes", "fifo", "device", "large"
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message"); // shown after the open; empty: none
        QTest::addColumn<QStringList>("contents");
        QTest::addColumn<QString>("order");
        QTest::newRow("saved by the tool, Windows-1251") << u"bytes"_s << cp1251(kSaved) << QString()
            << QStringList{u"2 5400 4"_s, u"5 100 2"_s} << u"5"_s;
        QTest::newRow("UTF-8") << u"bytes"_s << kSaved.mid(19).toUtf8() << QString()
            << QStringList{u"2 5400 4"_s, u"5 100 2"_s} << u"5"_s;
        QTest::newRow("a block changed by hand is the operator's text") << u"bytes"_s
            << QByteArray("#weapon  x\r\nINSERT INTO `merchant_buylists` VALUES (2,5,7,4,-1,-1,0,0);\r\n-- x\r\n")
            << QString() << QStringList() << u"1"_s;
        QTest::newRow("a control character is named") << u"bytes"_s << QByteArray("-- a\r\n-- b\x01\r\n")
            << u"Строки 2 файла"_s << QStringList() << u"1"_s;
        QTest::newRow("NUL bytes") << u"bytes"_s << QByteArray("-- a\0b", 6) << u"это не текст"_s
            << QStringList() << u"1"_s;
        QTest::newRow("fifo") << u"fifo"_s << QByteArray() << u"это не обычный файл"_s << QStringList() << u"1"_s;
        QTest::newRow("device") << u"device"_s << QByteArray() << u"это не обычный файл"_s << QStringList()
                                << u"1"_s;
        QTest::newRow("too large") << u"large"_s << QByteArray() << u"он больше 64 МиБ"_s << QStringList() << u"1"_s;
    }

    void aScriptOpensAsEntriesOrIsRefused()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QFETCH(QStringList, contents);
        QFETCH(QString, order);
        TestWindow w;
        QTemporaryDir dir;
        QString path = dir.filePath(u"shop.sql"_s);
        if (kind == u"fifo"_s) {
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        } else if (kind == u"device"_s) {
            path = u"/dev/zero"_s;
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
            if (kind == u"large"_s)
                file.resize(64 * 1024 * 1024 + 1);
        }
        const QStringList logBefore = w.form->Memo1()->lines();
        const QString shown = openThroughDialog(w.form.get(), path, !message.isEmpty());
        QVERIFY2(message.isEmpty() ? shown.isEmpty() : shown.contains(message) && shown.contains(path),
                 qPrintable(shown));
        auto *grid = w.form->findChild<RecordGrid *>(u"NextGrid3"_s);
        QCOMPARE(contentsValues(grid), contents);
        QCOMPARE(w.form->findChild<QLineEdit *>(u"orderEdit"_s)->text(), order);
        const bool opened = kind == u"bytes"_s && !bytes.contains('\0');
        if (!opened) {
            QCOMPARE(w.form->Memo1()->lines(), logBefore);
            QCOMPARE(w.form->SynMemo1()->lines(), QStringList{QString()});
            return;
        }
        QCOMPARE(readFile(path), bytes);
        QCOMPARE(w.form->Memo1()->lines().last(), w.form->TimeStr() + u"  файл  "_s + path + u"  открыт"_s);
        QString text = kind == u"bytes"_s && bytes.startsWith("SET") ? kSaved.mid(19) : QString::fromUtf8(bytes);
        text.replace(u"\r\n"_s, u"\n"_s).replace(QChar(1), u' ');
        QCOMPARE(w.form->SynMemo1()->lines().join(u'\n'), text);
        QCOMPARE(w.form->Memo2()->lines().size(), (contents.size() + (contents.isEmpty() ? 0 : 1)) * 3);
    }

    void aReopenedScriptGoesOnWhereItEnded()
    {
        TestWindow w;
        QTemporaryDir dir;
        const QString path = dir.filePath(u"shop.sql"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(cp1251(kSaved));
        file.close();
        // Ctrl+O from another page.
        onNextModal([&](QWidget *dialog) { acceptFileDialog(dialog, path); });
        auto *shopEdit = w.form->findChild<QLineEdit *>(u"shopEdit"_s);
        bringToFront(shopEdit);
        shopEdit->setFocus();
        QTest::keyClick(shopEdit, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(shopEdit->text(), u"7"_s);

        // A new entry follows the file's last line; Order goes on after the shop's last order.
        typeInto(w.form->findChild<QWidget *>(u"itemidEdit"_s), u"9"_s);
        typeInto(w.form->findChild<QWidget *>(u"priceEdit"_s), u"11"_s);
        click(w.form->findChild<QWidget *>(u"Button6"_s));
        const QStringList editor = w.form->SynMemo1()->lines();
        QCOMPARE(editor.mid(editor.size() - 3),
                 (QStringList{u"#weapon  "_s, u"INSERT INTO `merchant_buylists` VALUES (9,11,7,5,-1,-1,0,0);"_s,
                              QString()}));
        QCOMPARE(editor.mid(0, 11), kSaved.split(u"\r\n"_s).mid(1));

        // An entry of the file goes from the grid and the editor; the operator's line stays.
        auto *grid = w.form->findChild<RecordGrid *>(u"NextGrid3"_s);
        clickCell(grid, 0, 0);
        QTest::keyClick(grid, Qt::Key_Delete);
        QCOMPARE(contentsValues(grid), (QStringList{u"5 100 2"_s, u"9 11 5"_s}));
        QCOMPARE(w.form->SynMemo1()->lines().mid(0, 2), (QStringList{u"-- своё"_s, u"#shop id  7"_s}));
        QCOMPARE(readFile(path), cp1251(kSaved));

        // Ctrl+S offers the name opened; the file changes only now.
        QString offered;
        onNextModal([&](QWidget *dialog) {
            offered = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s)->text();
            onNextModal([](QWidget *box) {
                if (auto *replace = qobject_cast<QMessageBox *>(box))
                    replace->button(QMessageBox::Yes)->click();
            });
            acceptFileDialog(dialog, path);
        });
        // Without a window manager the closed dialog stays the active window.
        QApplication::setActiveWindow(w.form.get());
        shopEdit->setFocus();
        QTest::keyClick(shopEdit, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(offered, u"shop.sql"_s);
        QCOMPARE(readFile(path), cp1251(w.form->SynMemo1()->lines().join(u"\r\n"_s)));
    }
};

QTEST_MAIN(tst_ScriptOpen)
#include "tst_scriptopen.moc"
