#include "KeyringTestService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;

KeyringTestService::~KeyringTestService()
{
    for (QProcess *process : {&m_keyring, &m_bus}) {
        process->terminate();
        process->waitForFinished(5000);
    }
}

bool KeyringTestService::start(QString *why)
{
    if (QStandardPaths::findExecutable(u"dbus-daemon"_s).isEmpty() ||
        QStandardPaths::findExecutable(u"gnome-keyring-daemon"_s).isEmpty()) {
        *why = u"no dbus-daemon or gnome-keyring-daemon here (scripts/setup installs them)"_s;
        return false;
    }
    m_bus.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
    if (!m_bus.waitForReadyRead(10000)) {
        *why = u"the private session bus did not start"_s;
        return false;
    }
    const QByteArray address = m_bus.readLine().trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    // Unlocked with a password of the test, its keyring file in our folder.
    m_keyring.start(u"gnome-keyring-daemon"_s, {u"--foreground"_s, u"--unlock"_s, u"--components=secrets"_s});
    m_keyring.write("test-keyring-password");
    m_keyring.closeWriteChannel();
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromLatin1(address), u"qm_test"_s);
    QElapsedTimer waited;
    waited.start();
    while (!bus.interface()->isServiceRegistered(u"org.freedesktop.secrets"_s) && waited.elapsed() < 10000)
        QTest::qWait(50);
    QDBusConnection::disconnectFromBus(u"qm_test"_s);
    if (waited.elapsed() >= 10000) {
        *why = u"gnome-keyring-daemon did not offer the secret service"_s;
        return false;
    }
    return true;
}

KeyringOutcome awaitKeyring(const std::function<void(PasswordStore &, PasswordStore::Done)> &job)
{
    PasswordStore store(5000);
    KeyringOutcome outcome;
    QEventLoop loop;
    job(store, [&](const KeyringOutcome &result) {
        outcome = result;
        loop.quit();
    });
    loop.exec();
    return outcome;
}
