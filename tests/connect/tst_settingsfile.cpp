// A settings file that someone edited by hand, broke or handed over, read by
// the real window: nothing of it is weakened, nothing freezes the start, what
// cannot be read is named (file and key) and kept aside byte for byte, and
// the next write works and says so. Also how the page is reached without a
// mouse: its boxes' accessible names, and Tab through the log.

#include "TestWindow.h"
#include "WindowDriver.h"

#include "app/TextPane.h"
#include "connect/SshGroup.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSettings>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace WindowDriver;

class tst_SettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void handEditedFile_data();
    void handEditedFile();
    void refusedConnectionIsNotTaken();
    void reachedWithoutAMouse();
};

namespace {

QString settingsPath(const TestWindow &w)
{
    return w.config.path() + u"/Quenmark/connections.ini"_s;
}

// The files kept aside beside the settings file.
QStringList asideFiles(const TestWindow &w)
{
    return QDir(w.config.path() + u"/Quenmark"_s).entryList({u"connections.ini.unread-*"_s}, QDir::AllEntries | QDir::System);
}

} // namespace

void tst_SettingsFile::handEditedFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("told");
    QTest::newRow("tls differently cased") << QByteArray("[last]\nhost=db.example.org\ntls=Required\n") << u"last/tls"_s;
    QTest::newRow("tls unknown") << QByteArray("[last]\nhost=db.example.org\ntls=strict\n") << u"last/tls"_s;
    QTest::newRow("NUL in the host") << QByteArray("[last]\nhost=db.example.org\\0evil.example.org\n")
                                     << u"last/host"_s;
    QTest::newRow("port with letters") << QByteArray("[last]\nhost=db.example.org\nport=3306x\n") << u"last/port"_s;
    QTest::newRow("count of 2^31 - 1") << QByteArray("[connections]\n1\\name=a\nsize=2147483647\n")
                                       << u"connections/size"_s;
    QTest::newRow("one name twice") << QByteArray("[connections]\n1\\name=a\n1\\host=first\n2\\name=a\n2\\host=second\nsize=2\n")
                                    << u"connections/2/name"_s;
    QTest::newRow("line not INI") << QByteArray("[connections\n1\\name=a\nsize=1\n")
                                  << u"не в формате INI"_s;
    QTest::newRow("too large") << QByteArray(2 * 1024 * 1024, '#') << u"больше"_s;
    QTest::newRow("a fifo") << QByteArray() << u"не обычный файл"_s;
}

void tst_SettingsFile::handEditedFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, told);
    TestWindow w;
    const QString path = settingsPath(w);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    const bool fifo = content.isEmpty();
    if (fifo) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }

    QElapsedTimer started;
    started.start();
    w.start();
    QVERIFY2(started.elapsed() < 3000, qPrintable(QString::number(started.elapsed())));
    TForm1 &form = *w.form;
    const QString state = find<QLabel>(&form, u"connectionState"_s)->text();
    QVERIFY2(state.contains(told) && state.contains(path), qPrintable(state));
    // The value is refused, not weakened: the page keeps its initial texts.
    QCOMPARE(find<QLineEdit>(&form, u"Edit1"_s)->text(), u"localhost"_s);
    QCOMPARE(find<QComboBox>(&form, u"tlsMode"_s)->currentText(), u"если сервер предлагает"_s);

    // Kept aside as it was, and named on the page.
    const QStringList aside = asideFiles(w);
    QCOMPARE(aside.size(), 1);
    const QString asidePath = QFileInfo(path).path() + u'/' + aside.first();
    QVERIFY2(state.contains(asidePath), qPrintable(state));
    if (fifo)
        QVERIFY(QFileInfo(asidePath).exists() && !QFileInfo(asidePath).isFile());
    else
        QCOMPARE(readFile(asidePath), content);
    const auto logNames = [&form](const QString &keptAt) {
        return form.Memo1()->lines().filter(keptAt).size() == 1;
    };
    QVERIFY(logNames(asidePath));

    // The next write works, and the page says nothing else.
    const auto connectAndWrite = [&] {
        const auto opened = [&form] { return form.Memo1()->lines().filter(u"  База vosteldb открыта"_s).size(); };
        const qsizetype before = opened();
        click(find(&form, u"Button1"_s));
        QCOMPARE(opened(), before + 1);
        const QString after = find<QLabel>(&form, u"connectionState"_s)->text();
        QVERIFY2(after.startsWith(u"Соединено: "_s) && !after.contains(u"не записаны"_s), qPrintable(after));
        QVERIFY(QFileInfo(path).isFile());
        QCOMPARE(QSettings(path, QSettings::IniFormat).value(u"last/host"_s).toString(), u"localhost"_s);
    };
    connectAndWrite();
    QCOMPARE(asideFiles(w).size(), 1);

    // Broken again by hand while the window is open: kept aside again before
    // the next write goes over it, which then works and says so.
    const QByteArray edited("[last\nhost=hand.example.org\n");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(edited) == edited.size());
    }
    connectAndWrite();
    QStringList again = asideFiles(w);
    again.removeOne(aside.first());
    QCOMPARE(again.size(), 1);
    QCOMPARE(readFile(QFileInfo(path).path() + u'/' + again.first()), edited);
    QVERIFY(logNames(QFileInfo(path).path() + u'/' + again.first()));
}

void tst_SettingsFile::refusedConnectionIsNotTaken()
{
    TestWindow w;
    const QString path = settingsPath(w);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    {
        // An ssh config and known-hosts file that no box shows, and a mode in capitals.
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[connections]\n1\\name=weak\n1\\host=db.example.org\n1\\tls=REQUIRED\n"
                   "2\\name=hidden\n2\\host=db.example.org\n2\\ssh=true\n2\\sshHost=bastion\n"
                   "2\\sshConfig=/tmp/evil/config\n2\\sshKnownHosts=/tmp/evil/known_hosts\nsize=2\n");
    }
    w.start();
    TForm1 &form = *w.form;
    auto *names = find<QComboBox>(&form, u"savedConnections"_s);
    QCOMPARE(names->count(), 2);

    QString message;
    onNextModal([&](QWidget *modal) { message = readAndCloseMessageBox(modal); });
    names->setFocus();
    QTest::keyClick(names, Qt::Key_Down);
    QVERIFY2(message.contains(u"connections/1/tls"_s) && message.contains(path), qPrintable(message));
    QCOMPARE(find<QLineEdit>(&form, u"Edit1"_s)->text(), u"localhost"_s);

    // The hidden files are not taken, nor written back.
    QTest::keyClick(names, Qt::Key_Down);
    QCOMPARE(names->currentText(), u"hidden"_s);
    const SshTunnelSettings tunnel = find<SshGroup>(&form, u"SshGroup"_s)->settings();
    QCOMPARE(tunnel.host, u"bastion"_s);
    QVERIFY(tunnel.configFile.isEmpty() && tunnel.knownHostsFile.isEmpty());

    // Removal asks; "Нет" keeps it. The refused one keeps its lines.
    onNextModal([&](QWidget *modal) { message = readAndCloseMessageBox(modal); });
    click(find(&form, u"removeConnection"_s));
    QCOMPARE(message, u"Удалить сохранённое соединение «hidden»?"_s);
    QCOMPARE(names->count(), 2);
    onNextModal([](QWidget *modal) { qobject_cast<QMessageBox *>(modal)->button(QMessageBox::Yes)->click(); });
    click(find(&form, u"removeConnection"_s));
    QCOMPARE(names->count(), 1);
    const QByteArray written = readFile(path);
    QVERIFY2(written.contains("1\\tls=REQUIRED") && !written.contains("bastion") && !written.contains("evil"),
             written.constData());
}

void tst_SettingsFile::reachedWithoutAMouse()
{
    TestWindow w;
    TForm1 &form = *w.form;
    // Every box of the page has a name of its own for a screen reader.
    QStringList names;
    for (const QString &box : {u"portEdit"_s, u"sshPortEdit"_s, u"sshDatabasePortEdit"_s, u"caFile"_s})
        names.append(QAccessible::queryAccessibleInterface(find(&form, box))->text(QAccessible::Name));
    QCOMPARE(names, QStringList({u"Порт БД"_s, u"Порт SSH"_s, u"Порт БД на SSH-сервере"_s, u"Сертификат ЦС"_s}));

    // Tab and Shift+Tab leave the log, however many lines it holds.
    for (const Qt::KeyboardModifier modifier : {Qt::NoModifier, Qt::ShiftModifier}) {
        form.Memo1()->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), form.Memo1());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifier);
        QVERIFY(QApplication::focusWidget() != form.Memo1());
    }
}

QTEST_MAIN(tst_SettingsFile)
#include "tst_settingsfile.moc"
