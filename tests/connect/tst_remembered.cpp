#include "KeyringTestService.h"
#include "TestWindow.h"
#include "WindowDriver.h"

#include "app/TextPane.h"
#include "db/Connection.h"
#include "connect/ConnectionSettings.h"
#include "keyring/PasswordStore.h"
#include "keyring/SecretAccounts.h"

#include <QCheckBox>
#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace WindowDriver;

// Settings that come back at the next start, and the password that only the
// keyring keeps: a real secret service (the desktop's gnome-keyring-daemon)
// on a private session bus, or none at all; the connection page's
// "Запомнить пароль" on both, in the real window against the shared server.
class tst_Remembered : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void settingsComeBack();
    void keyringKeepsThePassword();
    void pageRemembersThePassword();
    void withoutKeyringService();
    void noPasswordInAnyFile();

private:
    QTemporaryDir m_home;
    KeyringTestService m_keyring;
    bool m_keyringUp = false;
};

namespace {

const QString password = u"Пароль-7f3a9c"_s;
const bool inChild = qEnvironmentVariableIsSet("QM_TEST_NO_KEYRING");

QString pagePasswordAccount()
{
    return databasePasswordAccount(u"root"_s, u"localhost"_s, 0, QString());
}

} // namespace

void tst_Remembered::initTestCase()
{
    // Every file of the run goes under a folder of its own.
    if (!inChild) {
        qputenv("XDG_CONFIG_HOME", m_home.filePath(u"config"_s).toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_home.filePath(u"data"_s).toLocal8Bit());
        QDir(m_home.path()).mkdir(u"run"_s, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", m_home.filePath(u"run"_s).toLocal8Bit());
    }
}

void tst_Remembered::settingsComeBack()
{
    if (inChild)
        QSKIP("only the keyring case runs in the child");
    ConnectionSettingsStore first;
    QVERIFY(!first.last());
    QVERIFY(first.names().isEmpty());

    ConnectionSettings live;
    live.host = u"db.example.org"_s;
    live.port = 3307;
    live.user = u"оператор"_s;
    live.database = u"world"_s;
    live.tls = {TlsMode::Verified, u"/etc/ssl/certs/игра-ca.pem"_s, true};
    live.rememberPassword = true;
    ConnectionSettings test;
    test.socket = u"/run/mysqld/test.sock"_s;
    test.tls.mode = TlsMode::Off;
    // Any text is a name, those that would be groups of the file included.
    const QString liveName = u"живой / главный \\ 1"_s;
    QCOMPARE(first.save(u"тест"_s, live), QString());
    QCOMPARE(first.save(liveName, live), QString());
    QCOMPARE(first.save(u"тест"_s, test), QString());
    QCOMPARE(first.saveLast(live, liveName), QString());

    // The next start reads the same file anew.
    ConnectionSettingsStore next;
    QCOMPARE(next.path(), m_home.filePath(u"config/Quenmark/connections.ini"_s));
    QCOMPARE(next.last(), live);
    QCOMPARE(next.lastName(), liveName);
    QCOMPARE(next.names(), QStringList({u"тест"_s, liveName}));
    QCOMPARE(next.named(u"тест"_s), test);
    QCOMPARE(next.named(liveName), live);
    QVERIFY(!next.named(u"нет такого"_s));

    QCOMPARE(next.remove(liveName), QString());
    QCOMPARE(next.names(), QStringList({u"тест"_s}));
    QCOMPARE(next.lastName(), QString());
    QCOMPARE(next.last(), live);
    QVERIFY(!next.save(u"  "_s, test).isEmpty());

    // A file that cannot be written says so.
    ConnectionSettingsStore blocked(QCoreApplication::applicationFilePath() + u"/connections.ini"_s);
    QVERIFY(!blocked.saveLast(test).isEmpty());
}

void tst_Remembered::keyringKeepsThePassword()
{
    if (inChild)
        QSKIP("only the keyring case runs in the child");
    QString why;
    m_keyringUp = m_keyring.start(&why);
    if (!m_keyringUp)
        QSKIP(qPrintable(u"no secret service can run here: "_s + why));

    const QString account = databasePasswordAccount(u"root"_s, u"db.example.org"_s, 3307, QString());
    const QString other = databasePasswordAccount(u"root"_s, u"db.example.org"_s, 0, QString());
    QVERIFY(account != other);
    KeyringOutcome outcome
        = awaitKeyring([&](PasswordStore &s, PasswordStore::Done d) { s.write(account, password, d); });
    QVERIFY2(outcome.ok, qPrintable(outcome.problem));
    outcome = awaitKeyring([&](PasswordStore &s, PasswordStore::Done d) { s.read(account, d); });
    QVERIFY2(outcome.ok && outcome.found, qPrintable(outcome.problem));
    QCOMPARE(outcome.secret, password);
    outcome = awaitKeyring([&](PasswordStore &s, PasswordStore::Done d) { s.read(other, d); });
    QVERIFY(outcome.ok && !outcome.found);
    outcome = awaitKeyring([&](PasswordStore &s, PasswordStore::Done d) { s.remove(account, d); });
    QVERIFY2(outcome.ok, qPrintable(outcome.problem));
    outcome = awaitKeyring([&](PasswordStore &s, PasswordStore::Done d) { s.read(account, d); });
    QVERIFY(outcome.ok && !outcome.found);
    // Written again for the check of every file below.
    QVERIFY(awaitKeyring([&](PasswordStore &s, PasswordStore::Done d) { s.write(account, password, d); }).ok);
}

void tst_Remembered::pageRemembersThePassword()
{
    if (inChild)
        QSKIP("only the keyring case runs in the child");
    if (!m_keyringUp)
        QSKIP("no secret service can run here (see keyringKeepsThePassword)");
    TestWindow w;
    auto *remember = find<QCheckBox>(w.form.get(), u"rememberPassword"_s);
    click(remember);
    QVERIFY(remember->isChecked());
    click(find(w.form.get(), u"Button1"_s));
    QVERIFY(w.form->connection().handle());
    // Kept in the keyring, once it has answered; in no file of ours.
    QTRY_VERIFY(awaitKeyring([](PasswordStore &s, PasswordStore::Done d) { s.read(pagePasswordAccount(), d); }).found);
    w.form->close();
    QVERIFY(!anyFileHolds(w.config.path(), "kelp"));
    QVERIFY(!anyFileHolds(w.root.path(), "kelp"));

    // The next start takes it from the keyring.
    w.start();
    remember = find<QCheckBox>(w.form.get(), u"rememberPassword"_s);
    QVERIFY(remember->isChecked());
    QTRY_COMPARE(find<QLineEdit>(w.form.get(), u"Edit3"_s)->text(), u"kelp"_s);
    QVERIFY(!find<QLabel>(w.form.get(), u"passwordStoreNote"_s)->isVisible());

    // Unticked, the next connect makes the keyring forget it.
    click(remember);
    click(find(w.form.get(), u"Button1"_s));
    QTRY_VERIFY(!awaitKeyring([](PasswordStore &s, PasswordStore::Done d) { s.read(pagePasswordAccount(), d); }).found);
}

void tst_Remembered::withoutKeyringService()
{
    if (!inChild) {
        // A process of its own: the keyring library picks its service once.
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QM_TEST_NO_KEYRING"_s, u"1"_s);
        env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + m_home.filePath(u"no-bus"_s));
        env.remove(u"DISPLAY"_s);
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {u"withoutKeyringService"_s});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitCode(), 0);
        return;
    }
    const QString account = databasePasswordAccount(u"root"_s, QString(), 0, u"/run/mysqld/mysqld.sock"_s);
    for (const KeyringOutcome &outcome :
         {awaitKeyring([&](PasswordStore &s, PasswordStore::Done d) { s.write(account, password, d); }),
          awaitKeyring([&](PasswordStore &s, PasswordStore::Done d) { s.read(account, d); })}) {
        QVERIFY(!outcome.ok);
        QVERIFY2(outcome.problem.startsWith(u"Хранилище паролей"_s), qPrintable(outcome.problem));
    }

    // The page's box says so at once, keeps nothing, and the connection is made all the same.
    TestWindow w;
    auto *remember = find<QCheckBox>(w.form.get(), u"rememberPassword"_s);
    click(remember);
    auto *note = find<QLabel>(w.form.get(), u"passwordStoreNote"_s);
    QTRY_VERIFY(note->isVisible());
    QVERIFY2(note->text().startsWith(u"Хранилище паролей"_s), qPrintable(note->text()));
    QVERIFY(!remember->isChecked());
    click(find(w.form.get(), u"Button1"_s));
    QVERIFY(w.form->Memo1()->lines().last().endsWith(u"  База vosteldb открыта"_s));
    QVERIFY(!anyFileHolds(w.config.path(), "kelp"));
}

void tst_Remembered::noPasswordInAnyFile()
{
    if (inChild)
        QSKIP("only the keyring case runs in the child");
    // The settings, the keyring's own file and anything else written here.
    for (const QByteArray &bytes : {password.toUtf8(), password.toLocal8Bit()}) {
        QDirIterator files(m_home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY2(!file.readAll().contains(bytes), qPrintable(file.fileName()));
        }
    }
}

QTEST_MAIN(tst_Remembered)
#include "tst_remembered.moc"
