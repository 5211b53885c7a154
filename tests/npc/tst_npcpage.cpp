#include "base/Codepage.h"
#include "base/Guard.h"
#include "base/LogTexts.h"
#include "base/Shell.h"
#include "db/Connection.h"
#include "TestShell.h"
#include "npc/NpcPage.h"
#include "grid/RecordGrid.h"
#include "grid/RecordGridModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <mysql.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

using PageShell = TestShell;

// One query on a connection; the rows' first columns, or an error text
// starting with "!".
QStringList runSql(DbConnection &connection, const QString &sql)
{
    QByteArray bytes;
    if (!Cp1251::encodeInto(sql, bytes))
        return {u"!not in cp1251"_s};
    MYSQL *handle = connection.handle();
    if (mysql_real_query(handle, bytes.constData(), static_cast<unsigned long>(bytes.size())) != 0)
        return {u'!' + QString::fromUtf8(mysql_error(handle))};
    QStringList values;
    MYSQL_RES *result = mysql_store_result(handle);
    if (!result)
        return values;
    const unsigned fields = mysql_num_fields(result);
    while (MYSQL_ROW row = mysql_fetch_row(result)) {
        const unsigned long *lengths = mysql_fetch_lengths(result);
        for (unsigned f = 0; f < fields; ++f)
            values.append(row[f] ? Cp1251::decode(row[f], static_cast<qsizetype>(lengths[f])) : u"NULL"_s);
    }
    mysql_free_result(result);
    return values;
}

bool connectTo(DbConnection &connection, const QString &database)
{
    connection.connect(u"localhost"_s, u"root"_s, u"kelp"_s);
    return connection.errorNumber() == 0 && (database.isEmpty() || connection.selectDatabase(database) == 0);
}

// Runs an action that may open the error box; closes the box and returns its
// text (empty when none came up).
QString errorBoxOf(const std::function<void()> &action)
{
    QString text;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            text = box->text();
            box->accept();
        }
    });
    poll.start();
    action();
    return text;
}

int visibleRows(const RecordGrid &grid)
{
    int count = 0;
    for (int row = 0; row < grid.RowCount(); ++row)
        count += grid.rowVisible(row) ? 1 : 0;
    return count;
}

int rowOfTemplate(const RecordGrid &grid, const QString &templateId)
{
    for (int row = 0; row < grid.RowCount(); ++row) {
        if (grid.Cells(0, row) == templateId)
            return row;
    }
    return -1;
}

// A real double-click on the cell shown for a store row.
void doubleClickCell(RecordGrid &grid, int col, int storeRow)
{
    const QModelIndex index = grid.model()->index(grid.gridModel()->viewRow(storeRow), col);
    QVERIFY(index.isValid());
    // Let the view lay out the rows of the last reset before it scrolls.
    QApplication::processEvents();
    grid.scrollTo(index);
    QApplication::processEvents();
    QVERIFY(grid.viewport()->rect().contains(grid.visualRect(index).center()));
    const QPoint centre = grid.visualRect(index).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, centre);
}

void clickHeader(RecordGrid &grid, int col)
{
    QHeaderView *header = grid.horizontalHeader();
    const QPoint at(header->sectionViewportPosition(col) + header->sectionSize(col) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

void typeInto(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    // Key events carry any text, Cyrillic and quotes included.
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::KeyAction::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

const QString spinePrefix = u"INSERT INTO `npc` VALUES ("_s;

} // namespace

class tst_NpcPage : public QObject
{
    Q_OBJECT

private:
    struct Fixture
    {
        PageShell shell;
        std::unique_ptr<NpcPage> page;
    };

    std::unique_ptr<Fixture> makePage(const QString &database = u"vosteldb"_s)
    {
        auto fixture = std::make_unique<Fixture>();
        if (!database.isNull())
            [&] { QVERIFY2(connectTo(fixture->shell.db, database), qPrintable(fixture->shell.db.errorText())); }();
        fixture->page = std::make_unique<NpcPage>(fixture->shell);
        fixture->page->resize(849, 471);
        fixture->page->show();
        [&] { QVERIFY(QTest::qWaitForWindowExposed(fixture->page.get())); }();
        return fixture;
    }

    DbConnection m_admin;
    int m_templateCount = 0;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("MYSQL_UNIX_PORT"), "the test server's socket is not set");
        QVERIFY2(connectTo(m_admin, u"vosteldb"_s), qPrintable(m_admin.errorText()));
        m_templateCount = runSql(m_admin, u"SELECT COUNT(*) FROM npc"_s).value(0).toInt();
        QVERIFY(m_templateCount > 100);
        // A scratch copy of the npc table for the generated statements, and
        // template tables whose idTemplate the number column cannot take.
        const QStringList setup{
            u"DROP DATABASE IF EXISTS npcscratch"_s,
            u"CREATE DATABASE npcscratch"_s,
            u"CREATE TABLE npcscratch.npc LIKE vosteldb.npc"_s,
            u"DROP DATABASE IF EXISTS npcnullid"_s,
            u"CREATE DATABASE npcnullid"_s,
            u"CREATE TABLE npcnullid.npc (idTemplate VARCHAR(8) NULL, name VARCHAR(20), class VARCHAR(20),"
            " collision_radius INT, collision_height INT, sex VARCHAR(8), aggro INT, rhand INT, lhand INT, armor INT,"
            " level INT)"_s,
            u"INSERT INTO npcnullid.npc VALUES ('7', 'a', 'b', 1, 2, 'male', 0, 0, 0, 0, 1),"
            " (NULL, 'c', 'd', 1, 2, 'male', 0, 0, 0, 0, 1)"_s,
        };
        for (const QString &sql : setup)
            QCOMPARE(runSql(m_admin, sql), QStringList());
    }

    void cleanupTestCase()
    {
        runSql(m_admin, u"DROP DATABASE IF EXISTS npcscratch"_s);
        runSql(m_admin, u"DROP DATABASE IF EXISTS npcnullid"_s);
    }

    void controlsCarryTheirTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("label");
        QTest::newRow("id") << u"idEdit"_s << u"ID"_s;
        QTest::newRow("template id, spelled as shown") << u"idtEdit"_s << u"ID Temlate"_s;
        QTest::newRow("class") << u"classEdit"_s << u"Класс"_s;
        QTest::newRow("name") << u"nameEdit"_s << u"Имя"_s;
        QTest::newRow("title") << u"titleEdit"_s << u"Надпись"_s;
        QTest::newRow("radius") << u"crEdit"_s << u"C_R"_s;
        QTest::newRow("height") << u"chEdit"_s << u"C_H"_s;
        QTest::newRow("level") << u"levelEdit"_s << u"Уровень"_s;
        QTest::newRow("sex") << u"Male"_s << u"Пол"_s;
        QTest::newRow("right hand") << u"rhandEdit"_s << u"Правая рука"_s;
        QTest::newRow("left hand") << u"lhandEdit"_s << u"Левая рука"_s;
        QTest::newRow("armour") << u"armorEdit"_s << u"Броня"_s;
        QTest::newRow("undead") << u"Undead"_s << u"Бессмертие"_s;
        QTest::newRow("search") << u"Edit5"_s << u"Поиск"_s;
    }
    void controlsCarryTheirTexts()
    {
        QFETCH(QString, name);
        QFETCH(QString, label);
        auto fixture = makePage(QString());
        auto *control = fixture->page->findChild<QWidget *>(name);
        QVERIFY(control);
        QStringList labels;
        for (QLabel *candidate : fixture->page->findChildren<QLabel *>()) {
            if (candidate->buddy() == control)
                labels.append(candidate->text());
        }
        QCOMPARE(labels, QStringList{label});
        if (auto *edit = qobject_cast<QLineEdit *>(control))
            QVERIFY(edit->text().isEmpty());
    }

    void pageLayout()
    {
        auto fixture = makePage(QString());
        NpcPage &page = *fixture->page;
        QCOMPARE(page.NextGrid1()->size(), QSize(417, 425));
        QCOMPARE(page.GroupBox1()->size(), QSize(401, 345));
        QVERIFY(!page.Male()->isChecked() && !page.Female()->isChecked() && !page.Undead()->isChecked());
        // Nothing overlaps: the form ends before the browser starts, and all of it fits the page.
        QVERIFY(page.GroupBox1()->geometry().right() < page.NextGrid1()->geometry().left());
        for (QWidget *child : page.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            QVERIFY2(QRect(0, 0, 849, 471).contains(child->geometry()), qPrintable(child->objectName()));

        const QAbstractItemModel *model = page.NextGrid1()->model();
        QCOMPARE(model->columnCount(), 11);
        QCOMPARE(model->headerData(10, Qt::Horizontal, Qt::DisplayRole).toString(), u"level"_s);
        QCOMPARE(model->headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
                 Qt::AlignHCenter);
        QCOMPARE(page.NextGrid1()->sortedColumnStyle(), SortedColumnStyle::Darker);
    }

    void loadingTwiceKeepsOneCopy()
    {
        auto fixture = makePage();
        NpcPage &page = *fixture->page;
        RecordGrid &grid = *page.NextGrid1();
        for (int round = 1; round <= 2; ++round) {
            QCOMPARE(errorBoxOf([&] { QTest::mouseClick(page.Button2(), Qt::LeftButton); }), QString());
            QCOMPARE(grid.RowCount(), m_templateCount);
            QCOMPARE(visibleRows(grid), m_templateCount);
        }
        QCOMPARE(fixture->shell.log,
                 (QStringList{LogTexts::tableLoaded(u"10:00:01"_s, u"npc"_s), LogTexts::tableLoaded(u"10:00:02"_s, u"npc"_s)}));
        QCOMPARE(fixture->shell.log.value(0), u"10:00:01  Таблица \"npc\" загружена"_s);
        // Cells come through the code page and the number column.
        const int smith = rowOfTemplate(grid, u"33"_s);
        QVERIFY(smith >= 0);
        QCOMPARE(grid.Cells(1, smith), u"Кузнец \"Молот\""_s);
        QCOMPARE(grid.Cells(1, rowOfTemplate(grid, u"34"_s)), u"Страж C:\\ворота\\"_s);
        QCOMPARE(grid.Cells(3, smith), u"9.50"_s);
        QCOMPARE(grid.Cells(5, smith), u"Female"_s);
    }

    void searchNarrowsTheNames()
    {
        auto fixture = makePage();
        NpcPage &page = *fixture->page;
        RecordGrid &grid = *page.NextGrid1();
        QTest::mouseClick(page.Button2(), Qt::LeftButton);
        const int goblins = runSql(m_admin, u"SELECT COUNT(*) FROM npc WHERE name LIKE BINARY '%Goblin%'"_s).value(0).toInt();
        QVERIFY(goblins > 0);

        QTest::keyClicks(page.Edit5(), u"gOBLin"_s);
        QCOMPARE(visibleRows(grid), goblins);
        for (int row = 0; row < grid.RowCount(); ++row) {
            if (grid.rowVisible(row))
                QVERIFY(grid.Cells(1, row).contains(u"Goblin"_s));
        }

        // A reload applies the text the box still holds; Esc empties the box and shows every row.
        QTest::mouseClick(page.Button2(), Qt::LeftButton);
        QCOMPARE(page.Edit5()->text(), u"gOBLin"_s);
        QCOMPARE(visibleRows(grid), goblins);
        QTest::keyClick(page.Edit5(), Qt::Key_Escape);
        QCOMPARE(page.Edit5()->text(), QString());
        QCOMPARE(visibleRows(grid), m_templateCount);
        QTest::keyClicks(page.Edit5(), u"gOBLin"_s);
        QTest::keyClick(page.Edit5(), Qt::Key_Space);
        QCOMPARE(visibleRows(grid), goblins);
        QTest::keyClicks(page.Edit5(), u"x"_s);
        QCOMPARE(visibleRows(grid), 0);

        // Cyrillic is matched as it is: only a to z ignore case.
        typeInto(page.Edit5(), u"Кузнец"_s);
        QCOMPARE(visibleRows(grid), 1);
        typeInto(page.Edit5(), u"кузнец"_s);
        QCOMPARE(visibleRows(grid), 0);

        typeInto(page.Edit5(), QString());
        QCOMPARE(visibleRows(grid), m_templateCount);
        QCOMPARE(fixture->shell.log.size(), 2);
    }

    void pickCopiesTheTemplate_data()
    {
        QTest::addColumn<QString>("templateId");
        QTest::addColumn<int>("clickColumn");
        QTest::addColumn<QStringList>("boxes"); // idt, class, c_r, c_h, rhand, lhand, armor
        QTest::addColumn<bool>("female");
        QTest::addColumn<QString>("level");
        QTest::newRow("male template")
            << u"31"_s << 0 << QStringList{u"31"_s, u"Merchant"_s, u"8.00"_s, u"23.00"_s, u"0"_s, u"0"_s, u"0"_s} << false
            << u"70"_s;
        QTest::newRow("female, clicked on the name")
            << u"32"_s << 1 << QStringList{u"32"_s, u"Merchant"_s, u"7.00"_s, u"22.50"_s, u"0"_s, u"0"_s, u"0"_s} << true
            << u"50"_s;
        QTest::newRow("capital Female counts as male")
            << u"33"_s << 5 << QStringList{u"33"_s, u"Blacksmith"_s, u"9.50"_s, u"25.00"_s, u"1"_s, u"2"_s, u"3"_s} << false
            << u"60"_s;
        QTest::newRow("equipped guard, clicked on aggro")
            << u"34"_s << 6 << QStringList{u"34"_s, u"Guard"_s, u"11.00"_s, u"27.00"_s, u"101"_s, u"102"_s, u"0"_s} << false
            << u"75"_s;
    }
    void pickCopiesTheTemplate()
    {
        QFETCH(QString, templateId);
        QFETCH(int, clickColumn);
        QFETCH(QStringList, boxes);
        QFETCH(bool, female);
        QFETCH(QString, level);
        auto fixture = makePage();
        NpcPage &page = *fixture->page;
        QTest::mouseClick(page.Button2(), Qt::LeftButton);

        // What the operator typed stays; the other radio button is checked before.
        page.idEdit()->setText(u"900"_s);
        page.nameEdit()->setText(u"Trader"_s);
        page.titleEdit()->setText(u"Shop"_s);
        page.levelEdit()->setText(u"1"_s);
        page.Undead()->setChecked(true);
        (female ? page.Male() : page.Female())->setChecked(true);

        const int row = rowOfTemplate(*page.NextGrid1(), templateId);
        QVERIFY(row >= 0);
        QCOMPARE(errorBoxOf([&] { doubleClickCell(*page.NextGrid1(), clickColumn, row); }), QString());

        const QList<QLineEdit *> copied{page.idtEdit(), page.classEdit(), page.crEdit(), page.chEdit(),
                                        page.rhandEdit(), page.lhandEdit(), page.armorEdit()};
        QStringList texts;
        for (QLineEdit *edit : copied) {
            texts.append(edit->text());
            QCOMPARE(edit->cursorPosition(), 0); // a value wider than its box shows its beginning
        }
        QCOMPARE(texts, boxes);
        QCOMPARE(page.Female()->isChecked(), female);
        QCOMPARE(page.Male()->isChecked(), !female);
        QCOMPARE(page.idEdit()->text(), u"900"_s);
        QCOMPARE(page.nameEdit()->text(), u"Trader"_s);
        QCOMPARE(page.titleEdit()->text(), u"Shop"_s);
        // The template's level, not left empty: a server in strict mode refuses an empty one.
        QCOMPARE(page.levelEdit()->text(), level);
        QVERIFY(page.Undead()->isChecked());
        QCOMPARE(fixture->shell.log.size(), 1);
        QVERIFY(fixture->shell.script.isEmpty());
    }

    void pickFollowsSortAndSearch()
    {
        auto fixture = makePage();
        NpcPage &page = *fixture->page;
        RecordGrid &grid = *page.NextGrid1();
        QTest::mouseClick(page.Button2(), Qt::LeftButton);

        // The height column sorts by value where the texts are numbers, without an error.
        QCOMPARE(errorBoxOf([&] { clickHeader(grid, 4); }), QString());
        QCOMPARE(grid.sortedColumn(), 4);
        double previous = -1e300;
        for (int row = 0; row < grid.RowCount(); ++row) {
            const double height = grid.Cells(4, row).toDouble();
            QVERIFY2(height >= previous, qPrintable(grid.Cells(4, row)));
            previous = height;
        }
        QCOMPARE(errorBoxOf([&] { clickHeader(grid, 0); }), QString());
        QCOMPARE(grid.Cells(0, 0), u"31"_s);

        typeInto(page.Edit5(), u"Торговка"_s);
        QVERIFY(visibleRows(grid) > 1);
        int last = -1;
        for (int row = 0; row < grid.RowCount(); ++row)
            last = grid.rowVisible(row) ? row : last;
        doubleClickCell(grid, 2, last);
        QCOMPARE(page.idtEdit()->text(), grid.Cells(0, last));
        QCOMPARE(page.classEdit()->text(), grid.Cells(2, last));
        QCOMPARE(page.Female()->isChecked(), grid.Cells(5, last) == u"female"_s);
    }

    void badTemplateIdsShowAnError_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("error");
        QTest::newRow("not a number") << u"vostelodd"_s << u"'70x3' is not a valid floating point value."_s;
        QTest::newRow("null") << u"npcnullid"_s << u"'' is not a valid floating point value."_s;
        QTest::newRow("no connection") << QString() << QString();
    }
    void badTemplateIdsShowAnError()
    {
        QFETCH(QString, database);
        QFETCH(QString, error);
        auto fixture = makePage(database);
        NpcPage &page = *fixture->page;
        const QString shown = errorBoxOf([&] { QTest::mouseClick(page.Button2(), Qt::LeftButton); });
        if (error.isEmpty())
            QVERIFY(!shown.isEmpty());
        else
            QCOMPARE(shown, error);
        QCOMPARE(page.NextGrid1()->RowCount(), 0);
        // No "loaded" line: the one line of a failed load, with the text shown.
        const QString failed = LogTexts::loadFailed(u"10:00:01"_s, u"npc"_s, QString());
        QCOMPARE(fixture->shell.log.size(), 1);
        QVERIFY(fixture->shell.log.first().startsWith(failed));
        QCOMPARE(errorDisplayText(fixture->shell.log.first().mid(failed.size())), shown);
        if (database.isEmpty())
            return;
        // The result was freed: the connection takes the next query.
        QCOMPARE(runSql(fixture->shell.db, u"SELECT 1"_s), QStringList{u"1"_s});
    }

    // vosteltrade's npc holds 7001-7003, 7005 and 7006.
    void idOnServer_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("inScript"); // an id this run's script creates
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("free"); // what "Свободный ID" puts in the box
        QTest::newRow("taken: the gap after it") << u"7001"_s << QString() << u"ID 7001 занят на сервере (свободный: 7004)"_s
                                                 << u"7004"_s;
        QTest::newRow("free") << u"7004"_s << QString() << u"ID свободен"_s << u"7004"_s;
        QTest::newRow("taken by this run's script") << u"7004"_s << u"7004"_s
                                                    << u"ID 7004 занят в скрипте (свободный: 7007)"_s << u"7007"_s;
        QTest::newRow("empty box: after the highest") << QString() << QString() << QString() << u"7007"_s;
        QTest::newRow("not a number") << u"70a"_s << QString() << u"не число"_s << u"7007"_s;
    }
    void idOnServer()
    {
        QFETCH(QString, typed);
        QFETCH(QString, inScript);
        QFETCH(QString, note);
        QFETCH(QString, free);
        auto fixture = makePage(u"vosteltrade"_s);
        NpcPage &page = *fixture->page;
        if (!inScript.isEmpty()) {
            typeInto(page.idEdit(), inScript);
            QTest::mouseClick(page.Button3(), Qt::LeftButton);
        }
        typeInto(page.idEdit(), typed);
        QTRY_COMPARE(page.idNote()->text(), note);
        // The button is reached from the id box by Tab and pressed by Space.
        page.idEdit()->setFocus();
        QTest::keyClick(page.idEdit(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), page.freeIdButton());
        QTest::keyClick(page.freeIdButton(), Qt::Key_Space);
        QCOMPARE(page.idEdit()->text(), free);
        QCOMPARE(page.idNote()->text(), u"ID свободен"_s);
        // Nothing was written on the server.
        QCOMPARE(runSql(m_admin, u"SELECT COUNT(*) FROM vosteltrade.npc"_s), QStringList{u"5"_s});
    }

    void statementFromTheForm()
    {
        auto fixture = makePage(QString());
        NpcPage &page = *fixture->page;
        const QList<std::pair<QLineEdit *, const char *>> typed{
            {page.idEdit(), "900"},    {page.idtEdit(), "31"}, {page.nameEdit(), "Trader"},  {page.titleEdit(), "Shop"},
            {page.classEdit(), "Merchant"}, {page.crEdit(), "8"}, {page.chEdit(), "23"}, {page.levelEdit(), "70"},
            {page.rhandEdit(), "0"},   {page.lhandEdit(), "0"}, {page.armorEdit(), "0"},
        };
        for (const auto &[edit, text] : typed)
            QTest::keyClicks(edit, QString::fromLatin1(text));
        QTest::mouseClick(page.Male(), Qt::LeftButton);
        QVERIFY(page.Male()->isChecked());
        QTest::mouseClick(page.Button3(), Qt::LeftButton);
        QCOMPARE(fixture->shell.script,
                 (QStringList{u"#npc  Trader"_s,
                              u"INSERT INTO `npc` VALUES (900,31,'Trader',1,'Shop',1,'Merchant',8,23,70,'male','ZantMerchant',"
                              "40,10000,10000,50.00,50.00,40,43,30,21,35,25,100000,100000,10000,100000,10000,100000,1000,0,1000,"
                              "0,0,0,1000,1000,0,0,0,0);"_s,
                              QString()}));
        QCOMPARE(fixture->shell.log, QStringList{u"10:00:01  npc  Trader  создан"_s});
    }

    void emptyFormGivesEmptyPositions()
    {
        auto fixture = makePage(QString());
        QTest::mouseClick(fixture->page->Button3(), Qt::LeftButton);
        QCOMPARE(fixture->shell.script.value(0), u"#npc  "_s);
        QCOMPARE(fixture->shell.script.value(1),
                 u"INSERT INTO `npc` VALUES (,,'',1,'',1,'',,,,'female','ZantMerchant',40,10000,10000,50.00,50.00,"
                 "40,43,30,21,35,25,100000,100000,10000,100000,10000,100000,1000,0,1000,,,,1000,1000,0,0,0,0);"_s);
        QCOMPARE(fixture->shell.log, QStringList{u"10:00:01  npc    создан"_s});
    }

    void statementsRunOnTheServer_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("className");
        QTest::addColumn<bool>("undead");
        QTest::newRow("cyrillic") << u"Торговец Ёжик"_s << u"Лавка «Ёж»"_s << u"Merchant"_s << false;
        QTest::newRow("single quotes") << u"Trader's"_s << u"'"_s << u"O'Neil"_s << true;
        QTest::newRow("double quotes") << u"Кузнец \"Молот\""_s << u"\"\""_s << u"Blacksmith"_s << false;
        QTest::newRow("trailing backslash") << u"Страж C:\\ворота\\"_s << u"\\"_s << u"\\'"_s << false;
        QTest::newRow("break-out attempt") << u"x'),(1,1,'y"_s << u"'; DROP TABLE npc; -- "_s << u"#"_s << true;
        QTest::newRow("all empty") << QString() << QString() << QString() << false;
    }
    void statementsRunOnTheServer()
    {
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(QString, className);
        QFETCH(bool, undead);
        auto fixture = makePage();
        NpcPage &page = *fixture->page;
        QTest::mouseClick(page.Button2(), Qt::LeftButton);
        const int row = rowOfTemplate(*page.NextGrid1(), u"32"_s);
        doubleClickCell(*page.NextGrid1(), 1, row);

        static int nextId = 5000;
        const QString id = QString::number(++nextId);
        typeInto(page.idEdit(), id);
        typeInto(page.nameEdit(), name);
        typeInto(page.titleEdit(), title);
        typeInto(page.classEdit(), className);
        typeInto(page.levelEdit(), u"70"_s);
        QCOMPARE(page.nameEdit()->text(), name);
        if (undead)
            QTest::mouseClick(page.Undead(), Qt::LeftButton);
        QTest::mouseClick(page.Button3(), Qt::LeftButton);

        const QString statement = fixture->shell.script.value(1);
        QVERIFY(statement.startsWith(spinePrefix));
        QCOMPARE(fixture->shell.log, (QStringList{LogTexts::tableLoaded(u"10:00:01"_s, u"npc"_s),
                                                  LogTexts::npcCreated(u"10:00:02"_s, name)}));
        QCOMPARE(fixture->shell.script.value(0), u"#npc  "_s + name);

        QCOMPARE(runSql(m_admin, u"USE npcscratch"_s), QStringList());
        QCOMPARE(runSql(m_admin, statement), QStringList());
        QCOMPARE(runSql(m_admin, u"SELECT COUNT(*) FROM npc WHERE id = "_s + id), QStringList{u"1"_s});
        QCOMPARE(runSql(m_admin, u"SELECT idTemplate, name, title, class, sex, collision_height, undead, type "
                                  "FROM npc WHERE id = "_s + id),
                 (QStringList{u"32"_s, name, title, className, u"female"_s, u"22.50"_s, undead ? u"1"_s : u"0"_s,
                              u"ZantMerchant"_s}));
        QCOMPARE(runSql(m_admin, u"USE vosteldb"_s), QStringList());
    }
};

QTEST_MAIN(tst_NpcPage)
#include "tst_npcpage.moc"
