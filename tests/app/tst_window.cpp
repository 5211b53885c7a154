#include "TestWindow.h"
#include "WindowDriver.h"

#include "base/Guard.h"
#include "app/runend/ExitFolder.h"
#include "app/Main.h"
#include "app/TextPane.h"
#include "editor/SqlEditor.h"

#include <QAccessible>
#include <QClipboard>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace WindowDriver;

namespace {

struct Window : TestWindow
{
    QStringList logFiles() const { return exitFiles(u"logs"_s); }
    QStringList sqlFiles() const { return exitFiles(u"sql"_s); }

    void makeShopLink(const QString &npc, const QString &shop)
    {
        typeInto(find(form.get(), u"npcEdit"_s), npc);
        typeInto(find(form.get(), u"shopidEdit"_s), shop);
        click(find(form.get(), u"Button4"_s));
    }

    // Presses "Сохранить" and answers the dialog with name (or cancels when empty).
    QString saveAs(const QString &name)
    {
        QString offered;
        onNextModal([&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            if (!dialog) {
                modal->close();
                return;
            }
            offered = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s)->text();
            if (name.isEmpty()) {
                dialog->reject();
                return;
            }
            acceptFileDialog(dialog, name);
        });
        click(find(form.get(), u"Button8"_s));
        return offered;
    }
};

QString closingTimePattern()
{
    return uR"(\d{1,2}:\d{2}:\d{2})"_s;
}

void blockFolder(const QString &path)
{
    QFile blocker(path);
    if (!blocker.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace

// Stands in for the file manager: takes the folder links the window opens.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl &url) { opened.append(url); }
};

class tst_Window : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // The log's time texts follow the locale; pin one with Cyrillic texts.
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        // The user's data folder, where exit files go that their own folder refuses.
        QVERIFY(m_dataHome.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome.path()));
    }

    void windowHasItsPagesAndSizes()
    {
        Window w;
        QCOMPARE(w.form->windowTitle(), u"Quenmark"_s);
        QCOMPARE(w.form->size(), QSize(857, 625));
        auto *upper = find<QTabWidget>(w.form.get(), u"PageControl1"_s);
        auto *lower = find<QTabWidget>(w.form.get(), u"PageControl2"_s);
        QStringList captions;
        for (int i = 0; i < upper->count(); ++i)
            captions << upper->tabText(i);
        QCOMPARE(captions, (QStringList{u"Соединение"_s, u"Создание NPC"_s, u"Shop ID"_s, u"BuyList"_s, u"Правка"_s, u"About"_s}));
        QCOMPARE(lower->tabText(0), u"Лог"_s);
        QCOMPARE(lower->tabText(1), u"SQL Запрос"_s);
        QCOMPARE(upper->currentIndex(), 0);
        QCOMPARE(lower->currentIndex(), 0);
        QCOMPARE(upper->geometry(), QRect(0, 0, 857, 497));
        QCOMPARE(lower->geometry(), QRect(0, 496, 857, 129));
        QCOMPARE(lower->tabPosition(), QTabWidget::South);
        QCOMPARE(find(w.form.get(), u"SynMemo1"_s)->size(), QSize(825, 417));
        QCOMPARE(find(w.form.get(), u"Button8"_s)->size(), QSize(75, 25));
        QCOMPARE(find<QLineEdit>(w.form.get(), u"orderEdit"_s)->text(), u"1"_s);
        QVERIFY(!(w.form->windowFlags() & Qt::WindowMaximizeButtonHint));
    }

    // The order Tab takes through each page from the first control of its road;
    // it ends where it comes round, or in the editor, which takes Tab as a character.
    void tabOrderOfThePages_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("Соединение") << 0
                                    << QStringList{u"Edit1"_s, u"portEdit"_s, u"Edit2"_s, u"Edit3"_s, u"rememberPassword"_s,
                                                   u"Edit4"_s, u"Button1"_s, u"tlsMode"_s, u"compressed"_s, u"SshGroup"_s};
        QTest::newRow("Создание NPC")
            << 1
            << QStringList{u"Button2"_s, u"Edit5"_s, u"NextGrid1"_s, u"idEdit"_s, u"freeIdButton"_s, u"idtEdit"_s,
                           u"classEdit"_s, u"nameEdit"_s, u"titleEdit"_s, u"crEdit"_s, u"chEdit"_s, u"levelEdit"_s,
                           u"Male"_s, u"rhandEdit"_s, u"lhandEdit"_s, u"armorEdit"_s, u"Undead"_s, u"Button3"_s};
        QTest::newRow("Shop ID") << 2 << QStringList{u"npcEdit"_s, u"shopidEdit"_s, u"freeShopButton"_s, u"Button4"_s};
        QTest::newRow("BuyList") << 3
                                 << QStringList{u"shopEdit"_s, u"orderEdit"_s, u"Button5"_s, u"RadioButton1"_s, u"search"_s,
                                                u"NextGrid2"_s, u"typesortEdit"_s, u"gradesortEdit"_s, u"sellsortEdit"_s,
                                                u"itemidEdit"_s, u"priceEdit"_s, u"CheckBox1"_s, u"Button6"_s,
                                                u"NextGrid3"_s};
        QTest::newRow("Правка") << 4 << QStringList{u"Button8"_s, u"Button10"_s, u"Button9"_s, u"SynMemo1"_s};
    }
    void tabOrderOfThePages()
    {
        QFETCH(int, page);
        QFETCH(QStringList, order);
        Window w;
        w.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        // The road starts in the host box.
        QCOMPARE(QApplication::focusWidget(), find(w.form.get(), u"Edit1"_s));
        auto *pages = find<QTabWidget>(w.form.get(), u"PageControl1"_s);
        pages->setCurrentIndex(page);
        QWidget *first = find(w.form.get(), order.first());
        first->setFocus(Qt::TabFocusReason);
        QStringList seen{first->objectName()};
        for (QWidget *now = first; seen.size() <= order.size();) {
            QTest::keyClick(now, Qt::Key_Tab);
            QWidget *next = QApplication::focusWidget();
            if (next == first || next == now || !pages->widget(page)->isAncestorOf(next))
                break;
            seen << next->objectName();
            now = next;
        }
        QCOMPARE(seen, order);
    }

    // The grids and the editor take what the window gains or loses; the forms keep their
    // size; the panes' tabs stay in view; back at the default size every size is the default one.
    void pagesGrowWithTheWindow_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("maximised on 1920x1080") << QSize(1920, 1050);
        QTest::newRow("on a 1024x600 screen") << QSize(1024, 570);
        QTest::newRow("back to the default") << QSize(857, 625);
    }
    void pagesGrowWithTheWindow()
    {
        QFETCH(QSize, size);
        Window w;
        w.form->resize(1500, 900);
        w.form->resize(size);
        const int dx = size.width() - 857;
        const int dy = size.height() - 625;
        QCOMPARE(w.form->size(), size);
        auto *pages = find<QTabWidget>(w.form.get(), u"PageControl1"_s);
        auto *panes = find<QTabWidget>(w.form.get(), u"PageControl2"_s);
        QCOMPARE(panes->geometry(), QRect(0, 496 + dy, size.width(), 129));
        QCOMPARE(pages->geometry(), QRect(0, 0, size.width(), 497 + dy));
        QCOMPARE(find(w.form.get(), u"NextGrid1"_s)->size(), QSize(417 + dx, 425 + dy));
        QCOMPARE(find(w.form.get(), u"SynMemo1"_s)->size(), QSize(825 + dx, 417 + dy));
        QCOMPARE(find(w.form.get(), u"Button8"_s)->pos(), QPoint(8, 432 + dy));
        QCOMPARE(find(w.form.get(), u"NextGrid2"_s)->size().width(), 417 + qRound(dx / 2.0));
        QCOMPARE(find(w.form.get(), u"NextGrid3"_s)->size().height(), 289 + dy);
        QCOMPARE(find(w.form.get(), u"GroupBox1"_s)->size(), QSize(401, 345));
        // Nothing stands beyond its page.
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            QApplication::processEvents();
            const QRect inside = pages->widget(page)->rect();
            for (QWidget *child : pages->widget(page)->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                if (child->isVisibleTo(pages->widget(page)))
                    QVERIFY2(inside.contains(child->geometry()), qPrintable(child->objectName()));
        }
    }

    void assistiveToolsFindTheMainWindow()
    {
        Window w;
        // As screen readers and desktop automation walk it: from the application down.
        QAccessibleInterface *app = QAccessible::queryAccessibleInterface(qApp);
        QAccessibleInterface *found = nullptr;
        for (int i = 0; i < app->childCount() && !found; ++i)
            found = app->child(i)->object() == w.form.get() ? app->child(i) : nullptr;
        QVERIFY(found);
        QCOMPARE(found->role(), QAccessible::Window);
        QCOMPARE(found->text(QAccessible::Name), u"Quenmark"_s);
        QCOMPARE(found->parent()->role(), QAccessible::Application);
    }

    void closingRightAfterStartWritesFourLines()
    {
        Window w;
        const QString openedAt = w.form->OpenedAt();
        const QString startTime = w.form->TimeStr();
        QCOMPARE(w.form->Memo1()->lines(),
                 (QStringList{u"[Лог открыт - "_s + openedAt + u']', startTime + u"  Приложение запущено"_s}));
        QVERIFY(w.form->close());

        QCOMPARE(w.logFiles().size(), 1);
        QCOMPARE(w.sqlFiles().size(), 1);
        const QString stampPattern = uR"(\d{2}_\d{2}_\d{4}_\d{2}_\d{2}_\d{2})"_s;
        QVERIFY(QRegularExpression(u"^log_"_s + stampPattern + u"\\.log$"_s).match(w.logFiles().first()).hasMatch());
        QVERIFY(QRegularExpression(u"^sql_"_s + stampPattern + u"\\.sql$"_s).match(w.sqlFiles().first()).hasMatch());
        QCOMPARE(w.logFiles().first().mid(4, 19), w.sqlFiles().first().mid(4, 19));

        const QByteArray log = readFile(w.root.filePath(u"logs/"_s + w.logFiles().first()));
        const QStringList lines = w.form->Memo1()->lines();
        QCOMPARE(lines.size(), 4);
        QVERIFY(QRegularExpression(u"^"_s + closingTimePattern() + u"  Приложение закрыто$"_s).match(lines[2]).hasMatch());
        QVERIFY(QRegularExpression(u"^\\[Лог закрыт - \\d{2}\\.\\d{2}\\.\\d{4}( "_s + closingTimePattern() + u")?\\]$"_s)
                    .match(lines[3]).hasMatch());
        QCOMPARE(log, cp1251(lines.join(u"\r\n"_s) + u"\r\n"_s));
        QVERIFY(log.startsWith("[\xcb\xee\xe3 \xee\xf2\xea\xf0\xfb\xf2 - ")); // "[Лог открыт - " in Windows-1251
        QCOMPARE(readFile(w.root.filePath(u"sql/"_s + w.sqlFiles().first())), QByteArray("SET NAMES cp1251;\r\n"));
    }

    void shopLinkGoesToPaneEditorAndLog()
    {
        Window w;
        w.makeShopLink(u"123"_s, u"7"_s);
        const QStringList block{u"#shop id  7"_s, u"INSERT INTO `merchant_shopids` VALUES(7,123);"_s, QString()};
        QCOMPARE(w.form->Memo2()->lines(), block);
        QCOMPARE(w.form->SynMemo1()->lines(), block);
        QCOMPARE(w.form->Memo1()->lines().last(), w.form->TimeStr() + u"  Shop ID  7  создан"_s);

        w.makeShopLink(QString(), QString());
        QCOMPARE(w.form->Memo2()->lines().mid(3),
                 (QStringList{u"#shop id  "_s, u"INSERT INTO `merchant_shopids` VALUES(,);"_s, QString()}));
        QCOMPARE(w.form->Memo1()->lines().last(), w.form->TimeStr() + u"  Shop ID    создан"_s);
    }

    // The operator's edit survives the next statement, and a NUL cuts nothing,
    // in the editor, the saved file and the exit files.
    void editsAndControlCharactersReachEveryFile()
    {
        Window w;
        QApplication::clipboard()->setText(QString::fromUtf16(u"7\u00008\n9", 5));
        auto *shop = find<QLineEdit>(w.form.get(), u"shopidEdit"_s);
        bringToFront(shop);
        shop->setFocus();
        shop->paste();
        typeInto(find(w.form.get(), u"npcEdit"_s), u"1"_s);
        click(find(w.form.get(), u"Button4"_s));
        auto *editor = w.form->SynMemo1();
        bringToFront(editor);
        editor->setFocus();
        QApplication::clipboard()->setText(QString::fromUtf16(u"-- a\u0000b\u001bc\n", 9));
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        w.makeShopLink(u"2"_s, u"9"_s);

        const QStringList expected{u"-- a b c"_s,
                                   u"#shop id  7 8 9"_s, u"INSERT INTO `merchant_shopids` VALUES(7 8 9,1);"_s, QString(),
                                   u"#shop id  9"_s, u"INSERT INTO `merchant_shopids` VALUES(9,2);"_s, QString()};
        QCOMPARE(editor->lines(), expected);
        QCOMPARE(w.form->Memo2()->lines(), expected.mid(1));  // the record of what was generated
        QTemporaryDir target;
        w.saveAs(target.filePath(u"cut"_s));
        QCOMPARE(fileLines(target.filePath(u"cut.sql"_s)), QStringList{u"SET NAMES cp1251;"_s} + expected);
        QVERIFY(w.form->close());
        QCOMPARE(fileLines(w.root.filePath(u"sql/"_s + w.sqlFiles().first())), QStringList{u"SET NAMES cp1251;"_s} + expected);
        QVERIFY(fileLines(w.root.filePath(u"logs/"_s + w.logFiles().first())).at(2).endsWith(u"Shop ID  7 8 9  создан"_s));
    }

    void saveWritesTheEditorAndRemembersTheName()
    {
        Window w;
        w.makeShopLink(u"123"_s, u"7"_s);
        QTemporaryDir target;
        const QString chosen = target.filePath(u"shop"_s);
        QCOMPARE(w.saveAs(chosen), QString());
        QCOMPARE(readFile(chosen + u".sql"_s),
                 QByteArray("SET NAMES cp1251;\r\n#shop id  7\r\nINSERT INTO `merchant_shopids` VALUES(7,123);\r\n"));
        QCOMPARE(w.form->Memo1()->lines().last(), w.form->TimeStr() + u"  файл  "_s + chosen + u"  сохранен"_s);

        // Cancelling after a save offers the same name, writes nothing and logs nothing.
        const int logLines = w.form->Memo1()->lines().size();
        QVERIFY(w.saveAs(QString()).endsWith(u"shop"_s));
        QCOMPARE(w.form->Memo1()->lines().size(), logLines);
        QCOMPARE(QDir(target.path()).entryList(QDir::Files).size(), 1);

        // A name that ends in .sql (any case) is not given a second one.
        const QString upper = target.filePath(u"B.SQL"_s);
        w.saveAs(upper);
        QCOMPARE(QDir(target.path()).entryList(QDir::Files), (QStringList{u"B.SQL"_s, u"shop.sql"_s}));
    }

    void cancelBeforeAnySaveForgetsWhatWasTyped()
    {
        Window w;
        QTemporaryDir elsewhere;
        QStringList seen;  // name and folder offered, at each opening
        for (const QString &typed : {u"draft"_s, QString()}) {
            onNextModal([&, typed](QWidget *modal) {
                auto *dialog = qobject_cast<QFileDialog *>(modal);
                auto *name = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s);
                seen << name->text() << dialog->directory().absolutePath();
                dialog->setDirectory(elsewhere.path());
                name->setText(typed);
                dialog->reject();
            });
            click(find(w.form.get(), u"Button8"_s));
        }
        QCOMPARE(seen.at(2), QString());
        QCOMPARE(seen.at(3), seen.at(1));
    }

    void saveBeforeAnyStatementWritesOnlyTheCodePage()
    {
        Window w;
        QTemporaryDir target;
        w.saveAs(target.filePath(u"empty.sql"_s));
        QCOMPARE(readFile(target.filePath(u"empty.sql"_s)), QByteArray("SET NAMES cp1251;\r\n"));
    }

    void replacingAFileIsAsked()
    {
        Window w;
        w.makeShopLink(u"1"_s, u"2"_s);
        QTemporaryDir target;
        const QString path = target.filePath(u"keep.sql"_s);
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("precious");
        old.close();

        QString question;
        const int logLines = w.form->Memo1()->lines().size();
        onNextModal([&](QWidget *dialog) {
            acceptFileDialog(dialog, path);
            onNextModal([&](QWidget *box) { question = readAndCloseMessageBox(box); }); // default: No
        });
        click(find(w.form.get(), u"Button8"_s));
        QVERIFY(question.contains(path));
        QCOMPARE(readFile(path), QByteArray("precious"));
        QCOMPARE(w.form->Memo1()->lines().size(), logLines);
    }

    void saveFailuresAreShownAndNotLogged_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder") << u"missing/a"_s << u"No such file or directory"_s;
        QTest::newRow("under a file") << u"plain/a"_s << u"Not a directory"_s;
    }
    void saveFailuresAreShownAndNotLogged()
    {
        QFETCH(QString, relative);
        QFETCH(QString, reason);
        Window w;
        QTemporaryDir target;
        QFile plain(target.filePath(u"plain"_s));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QString chosen = target.filePath(relative);
        QString shown;
        const int logLines = w.form->Memo1()->lines().size();
        onNextModal([&](QWidget *dialog) {
            acceptFileDialog(dialog, chosen);
            onNextModal([&](QWidget *box) {
                QCOMPARE(box->windowTitle(), u"Quenmark"_s);
                shown = readAndCloseMessageBox(box);
            });
        });
        click(find(w.form.get(), u"Button8"_s));
        QCOMPARE(shown, u"Cannot create file \"%1.sql\". %2."_s.arg(chosen, reason));
        QCOMPARE(w.form->Memo1()->lines().size(), logLines);
    }

    void errorTextRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << u"abc"_s << u"abc."_s;
        QTest::newRow("digit") << u"a1"_s << u"a1."_s;
        QTest::newRow("cyrillic") << u"Ошибка"_s << u"Ошибка."_s;
        QTest::newRow("full stop") << u"done."_s << u"done."_s;
        QTest::newRow("parenthesis") << u"(x)"_s << u"(x)"_s;
        QTest::newRow("blank") << u"x "_s << u"x "_s;
        QTest::newRow("quote") << u"'x'"_s << u"'x'"_s;
        QTest::newRow("slash") << u"a/"_s << u"a/."_s;
        QTest::newRow("empty") << QString() << QString();
    }
    void errorTextRule()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(errorDisplayText(text), shown);
    }

    void nonCodePageTextIsMarkedNotLost()
    {
        Window w;
        w.makeShopLink(u"Ж"_s, u"日本"_s);
        QTemporaryDir target;
        QString warning;
        onNextModal([&](QWidget *dialog) {
            acceptFileDialog(dialog, target.filePath(u"x.sql"_s));
            onNextModal([&](QWidget *box) { warning = readAndCloseMessageBox(box); });
        });
        click(find(w.form.get(), u"Button8"_s));
        QVERIFY2(warning.contains(u"line(s) 1, 2"_s), qPrintable(warning));
        QCOMPARE(readFile(target.filePath(u"x.sql"_s)),
                 QByteArray("SET NAMES cp1251;\r\n#shop id  ??\r\nINSERT INTO `merchant_shopids` VALUES(??,\xc6);\r\n"));
    }

    void exitFileTheFolderRefusesIsKeptAndOfferedElsewhere()
    {
        Window w;
        w.makeShopLink(u"1"_s, u"2"_s);
        blockFolder(w.root.filePath(u"logs"_s));
        QTemporaryDir elsewhere;
        const QString chosen = elsewhere.filePath(u"mine.log"_s);
        QString told;
        onNextModal([&](QWidget *box) {
            told = readAndCloseMessageBox(box); // default: save elsewhere
            onNextModal([&](QWidget *dialog) { acceptFileDialog(dialog, chosen); });
        });
        QVERIFY(w.form->close());
        QVERIFY2(told.contains(w.root.filePath(u"logs/log_"_s)), qPrintable(told));
        const QString kept = QRegularExpression(u"written to \"([^\"]+)\" instead"_s).match(told).captured(1);
        QVERIFY2(kept.startsWith(ExitFolder::userDataFolder() + u"/logs/log_"_s), qPrintable(told));
        const QByteArray log = cp1251(w.form->Memo1()->lines().join(u"\r\n"_s) + u"\r\n"_s);
        QCOMPARE(readFile(kept), log);
        QCOMPARE(readFile(chosen), log);
        QCOMPARE(w.sqlFiles().size(), 1);
        QCOMPARE(readFile(w.root.filePath(u"sql/"_s + w.sqlFiles().first())),
                 QByteArray("SET NAMES cp1251;\r\n#shop id  2\r\nINSERT INTO `merchant_shopids` VALUES(2,1);\r\n"));
    }

    void sessionSaveWritesTheFilesAndTheRunGoesOn()
    {
        Window w;
        w.form->FormSessionSave();
        QCOMPARE(w.logFiles().size(), 1);
        const QString saved = w.root.filePath(u"logs/"_s + w.logFiles().first());
        QCOMPARE(fileLines(saved).size(), 3); // the two opening lines and the final break

        w.makeShopLink(u"1"_s, u"2"_s);
        QVERIFY(w.form->close());
        QCOMPARE(fileLines(saved).size(), 3);
        QCOMPARE(w.sqlFiles().size(), 2);
        QStringList logs = w.logFiles();
        logs.removeOne(QFileInfo(saved).fileName());
        QCOMPARE(fileLines(w.root.filePath(u"logs/"_s + logs.value(0))).mid(2, 2),
                 (QStringList{w.form->TimeStr() + u"  Shop ID  2  создан"_s, w.form->TimeStr() + u"  Приложение закрыто"_s}));
    }

    void aboutPageOpensTheExitFolder()
    {
        Window w;
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(u"file"_s, &catcher, "open");
        auto *panel = find<QLabel>(w.form.get(), u"AboutPanel"_s);
        bringToFront(panel);
        QVERIFY(panel->text().contains(w.root.path()));
        panel->setFocus(Qt::TabFocusReason);
        QTest::keyClick(panel, Qt::Key_Tab); // to the link, as a keyboard user reaches it
        QTest::keyClick(panel, Qt::Key_Return);
        QDesktopServices::unsetUrlHandler(u"file"_s);
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl::fromLocalFile(w.root.path())});
    }

    void runsClosingInTheSameSecondKeepBothFiles()
    {
        Window first;
        Window second;
        // Occupy the names of this second and the next ones so the collision is certain.
        QDir().mkpath(second.root.filePath(u"logs"_s));
        QDir().mkpath(second.root.filePath(u"sql"_s));
        const QDateTime now = QDateTime::currentDateTime();
        for (int s = 0; s < 5; ++s) {
            const QString stamp = QLocale::c().toString(now.addSecs(s), u"dd_MM_yyyy_HH_mm_ss"_s);
            for (const QString &name : {u"logs/log_"_s + stamp + u".log"_s, u"sql/sql_"_s + stamp + u".sql"_s}) {
                QFile f(second.root.filePath(name));
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write("earlier run");
            }
        }
        QVERIFY(second.form->close());
        QStringList logs = second.logFiles().filter(u"_2.log"_s);
        QCOMPARE(logs.size(), 1);
        QCOMPARE(second.sqlFiles().filter(u"_2.sql"_s).size(), 1);
        QCOMPARE(readFile(second.root.filePath(u"logs/"_s + logs.first().replace(u"_2.log"_s, u".log"_s))),
                 QByteArray("earlier run"));
    }

private:
    QTemporaryDir m_dataHome;
};

QTEST_MAIN(tst_Window)
#include "tst_window.moc"
