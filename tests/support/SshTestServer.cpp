#include "SshTestServer.h"

#include <QDir>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

QByteArray run(const QString &program, const QStringList &arguments, const QString &agent = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"SSH_AUTH_SOCK"_s, agent);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.waitForFinished(30000);
    return process.exitCode() == 0 ? process.readAllStandardOutput() : QByteArray();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QString &text)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text.toUtf8());
}

// Each process under /proc with its parent.
QMultiHash<qint64, qint64> childrenByParent()
{
    QMultiHash<qint64, qint64> children;
    for (const QString &pid : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        const QByteArray stat = readFile(u"/proc/"_s + pid + u"/stat"_s);
        children.insert(stat.mid(stat.lastIndexOf(')') + 2).split(' ').value(1).toLongLong(), pid.toLongLong());
    }
    return children;
}

} // namespace

SshTestServer::~SshTestServer()
{
    kill();
    m_agent.kill();
    m_agent.waitForFinished();
}

bool SshTestServer::start(QString *error)
{
    kill();
    for (const QString &key : {u"host_key"_s, u"user_key"_s, u"pass_key"_s, u"other_key"_s}) {
        const QString phrase = key == u"pass_key"_s ? QString::fromLatin1(kPassphrase) : QString();
        if (!QFile::exists(file(key)))
            run(u"ssh-keygen"_s, {u"-q"_s, u"-t"_s, u"ed25519"_s, u"-N"_s, phrase, u"-f"_s, file(key)});
    }
    const QByteArray hash = run(u"openssl"_s, {u"passwd"_s, u"-6"_s, QString::fromLatin1(kPassword)}).trimmed();
    writeFile(file(u"shadow"_s), u"root:%1:19000:0:99999:7:::\n"_s.arg(QString::fromLatin1(hash)));
    writeFile(file(u"authorized_keys"_s),
              QString::fromLatin1(readFile(file(u"user_key.pub"_s)) + readFile(file(u"pass_key.pub"_s))));
    QTcpServer free;
    free.listen(QHostAddress::LocalHost);
    m_port = free.serverPort();
    free.close();
    writeFile(file(u"config"_s), u"Host tunnel tunnel-key tunnel-jump\n HostName 127.0.0.1\n Port %1\n User root\n HashKnownHosts yes\n"
                                 "Host tunnel-key\n IdentityFile %2\n"
                                 "Host tunnel-jump\n ProxyJump root@localhost:%1\n"_s.arg(m_port).arg(file(u"user_key"_s)));
    writeFile(file(u"sshd_config"_s),
              u"Port %1\nListenAddress 127.0.0.1\nHostKey %2\nPidFile none\nAuthorizedKeysFile %3\nUsePAM no\n"
              "StrictModes no\nPermitRootLogin yes\nPasswordAuthentication yes\nAllowTcpForwarding yes\n"_s.arg(m_port).arg(
                  file(u"host_key"_s), file(u"authorized_keys"_s)));
    QDir().mkpath(u"/run/sshd"_s);
    m_sshd.start(u"unshare"_s, {u"--mount"_s, u"sh"_s, u"-c"_s,
                                u"mount --bind \"$0\" /etc/shadow && exec /usr/sbin/sshd -D -f \"$1\" -E \"$2\""_s,
                                file(u"shadow"_s), file(u"sshd_config"_s), file(u"sshd.log"_s)});
    for (int i = 0; i < 100 && m_sshd.state() != QProcess::NotRunning; ++i) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, quint16(m_port));
        if (socket.waitForConnected(100) && socket.waitForReadyRead(1000) && socket.readAll().startsWith("SSH-"))
            return true;
        QTest::qWait(50);
    }
    *error = u"sshd did not start: "_s + QString::fromLocal8Bit(m_sshd.readAll() + readFile(file(u"sshd.log"_s)));
    return false;
}

void SshTestServer::kill()
{
    if (m_sshd.state() == QProcess::NotRunning)
        return;
    const QMultiHash<qint64, qint64> children = childrenByParent();
    QList<qint64> tree{m_sshd.processId()};
    for (qsizetype i = 0; i < tree.size(); ++i)
        tree += children.values(tree.at(i));
    for (const qint64 pid : tree)
        ::kill(pid_t(pid), SIGKILL);
    m_sshd.waitForFinished();
}

QByteArray SshTestServer::knownHostsLine(const QString &publicKeyName) const
{
    const QList<QByteArray> fields = readFile(file(publicKeyName)).split(' ');
    return "[127.0.0.1]:" + QByteArray::number(m_port) + ' ' + fields.value(0) + ' ' + fields.value(1) + '\n';
}

QString SshTestServer::startAgent()
{
    const QString socket = file(u"agent.sock"_s);
    m_agent.start(u"ssh-agent"_s, {u"-D"_s, u"-a"_s, socket});
    for (int i = 0; i < 100 && !QFile::exists(socket); ++i)
        QTest::qWait(20);
    run(u"ssh-add"_s, {file(u"user_key"_s)}, socket);
    return socket;
}

QString SshTestServer::fingerprint(const QString &keyOrKnownHosts)
{
    return QString::fromLatin1(run(u"ssh-keygen"_s, {u"-l"_s, u"-f"_s, keyOrKnownHosts})).section(u' ', 1, 1);
}

QList<qint64> SshTestServer::processesNaming(const QString &text)
{
    QList<qint64> found;
    for (const QString &pid : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        if (pid.toLongLong() > 0 && readFile(u"/proc/"_s + pid + u"/cmdline"_s).contains(text.toLocal8Bit()))
            found.append(pid.toLongLong());
    }
    return found;
}
