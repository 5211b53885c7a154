#include "ssh/SshTunnel.h"

#include "ssh/AskpassClient.h"
#include "ssh/AskpassServer.h"
#include "ssh/SshCommand.h"
#include "ssh/SshReport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int probeIntervalMs = 50;
// A database end that takes the connection but never greets is left to the
// database connect and its own time-out.
constexpr int probeGreetingMs = 10000;
// After the database end closed the probe: time for ssh to say why.
constexpr int forwardWordsMs = 300;
constexpr qsizetype keptErrorBytes = 64 * 1024;
// sun_path holds 108 bytes with the closing zero.
constexpr qsizetype socketPathLimit = 107;

const QString folderPrefix = u"quenmark-ssh-"_s;

// Folders of ours that a program left when it was killed: their ssh ended
// with it, the folder stayed. The program's pid is in the name.
void removeStaleFolders(const QString &base)
{
    const QFileInfoList folders = QDir(base).entryInfoList({folderPrefix + u'*'}, QDir::Dirs | QDir::NoSymLinks);
    for (const QFileInfo &folder : folders) {
        const pid_t owner = folder.fileName().mid(folderPrefix.size()).section(u'-', 0, 0).toInt();
        if (folder.ownerId() == getuid() && owner > 0 && ::kill(owner, 0) != 0 && errno == ESRCH)
            QDir(folder.filePath()).removeRecursively();
    }
}

// A folder of our own (0700, unguessable name) for the sockets and the
// once-accepted host key: under the user's runtime folder when it is a
// private folder of ours, else under the temporary folder.
std::unique_ptr<QTemporaryDir> makePrivateFolder()
{
    QStringList bases;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QFileInfo runtimeInfo(runtime);
    if (!runtime.isEmpty() && runtimeInfo.isDir() && runtimeInfo.ownerId() == getuid()
        && (runtimeInfo.permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup)) == 0)
        bases << runtime;
    bases << QDir::tempPath() << u"/tmp"_s;
    for (const QString &base : std::as_const(bases)) {
        removeStaleFolders(base);
        auto folder = std::make_unique<QTemporaryDir>(u"%1/%2%3-XXXXXX"_s.arg(base, folderPrefix).arg(getpid()));
        if (folder->isValid() && folder->filePath(u"askpass.sock"_s).toLocal8Bit().size() <= socketPathLimit
            && QFile::setPermissions(folder->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            return folder;
    }
    return nullptr;
}

} // namespace

SshTunnel::SshTunnel(QObject *parent)
    : QObject(parent), m_resolve(new QProcess(this)), m_ssh(new QProcess(this)), m_askpass(new AskpassServer(this)),
      m_probe(new QLocalSocket(this)), m_probeTimer(new QTimer(this))
{
    connect(m_resolve, &QProcess::finished, this, &SshTunnel::resolved);
    connect(m_resolve, &QProcess::errorOccurred, this, &SshTunnel::sshNotStarted);
    connect(m_ssh, &QProcess::finished, this, &SshTunnel::sshFinished);
    connect(m_ssh, &QProcess::errorOccurred, this, &SshTunnel::sshNotStarted);
    connect(m_ssh, &QProcess::readyReadStandardError, this, [this] {
        m_sshErrors += m_ssh->readAllStandardError();
        if (m_sshErrors.size() > keptErrorBytes)
            m_sshErrors.remove(0, m_sshErrors.size() - keptErrorBytes);
    });
    connect(m_askpass, &AskpassServer::asked, this, &SshTunnel::askedBySsh);
    m_probeTimer->setInterval(probeIntervalMs);
    connect(m_probeTimer, &QTimer::timeout, this, &SshTunnel::probe);
    connect(m_probe, &QLocalSocket::connected, this, [this] { m_probeSince.start(); });
    connect(m_probe, &QLocalSocket::readyRead, this, &SshTunnel::probeAnswered);
    connect(m_probe, &QLocalSocket::disconnected, this, &SshTunnel::probeClosed);
}

SshTunnel::~SshTunnel()
{
    close();
}

void SshTunnel::setAskpassProgram(const QString &path)
{
    m_askpassProgram = path;
}

bool SshTunnel::isReady() const
{
    return m_state == State::Ready;
}

QString SshTunnel::socketPath() const
{
    return m_folder ? m_folder->filePath(u"db.sock"_s) : QString();
}

QString SshTunnel::shownHost() const
{
    return m_resolvedHost.isEmpty() ? m_settings.host : m_resolvedHost;
}

void SshTunnel::open(const SshTunnelSettings &settings)
{
    close();
    m_settings = settings;
    m_resolvedHost.clear();
    m_sshErrors.clear();
    m_hostKeyAccepted = false;
    m_passphraseAsks = m_passwordAsks = 0;
    if (const QString problem = sshSettingsProblem(settings); !problem.isEmpty()) {
        failLater({SshTunnelFailure::Kind::Settings, problem});
        return;
    }
    m_folder = makePrivateFolder();
    QString listenError;
    if (!m_folder) {
        failLater({SshTunnelFailure::Kind::Other, u"Не удалось создать личную папку для SSH-туннеля"_s});
        return;
    }
    if (!m_askpass->listen(m_folder->filePath(u"askpass.sock"_s), &listenError)) {
        failLater({SshTunnelFailure::Kind::Other, u"Не удалось открыть сокет для вопросов ssh: %1"_s.arg(listenError)});
        return;
    }
    m_state = State::Resolving;
    m_resolve->start(u"ssh"_s, sshResolveArguments(settings));
}

void SshTunnel::resolved(int exitCode, QProcess::ExitStatus status)
{
    if (m_state != State::Resolving)
        return;
    if (status != QProcess::NormalExit || exitCode != 0) {
        fail(describeSshFailure(m_settings, m_settings.host, m_resolve->readAllStandardError()));
        return;
    }
    const SshResolved found = parseSshResolved(m_resolve->readAllStandardOutput());
    m_resolvedHost = u"%1@%2:%3"_s.arg(found.user, found.hostName).arg(found.port);
    m_knownHostsFiles = m_settings.knownHostsFile.isEmpty() ? found.knownHostsFiles : QStringList{m_settings.knownHostsFile};
    m_ciphers = found.ciphers;
    startSsh();
}

void SshTunnel::startSsh()
{
    const QString onceFile = m_folder->filePath(u"known_hosts"_s);
    if (QFile once(onceFile); !once.open(QIODevice::WriteOnly)) {
        fail({SshTunnelFailure::Kind::Other, u"Не удалось создать файл %1: %2"_s.arg(onceFile, once.errorString())});
        return;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"SSH_ASKPASS"_s,
                       m_askpassProgram.isEmpty() ? QCoreApplication::applicationFilePath() : m_askpassProgram);
    environment.insert(u"SSH_ASKPASS_REQUIRE"_s, u"force"_s);
    environment.insert(QString::fromLatin1(kAskpassSocketVariable), m_folder->filePath(u"askpass.sock"_s));
    m_ssh->setProcessEnvironment(environment);
    m_ssh->setStandardInputFile(QProcess::nullDevice());
    m_ssh->setStandardOutputFile(QProcess::nullDevice());
    // No terminal to ask on, and ssh ends with the program however the
    // program ends (the GUI thread starts it and lives as long).
    const pid_t program = getpid();
    m_ssh->setChildProcessModifier([program] {
        setsid();
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != program)
            _exit(1);
    });
    m_state = State::Connecting;
    m_ssh->start(u"ssh"_s, sshTunnelArguments(m_settings, socketPath(), onceFile, m_knownHostsFiles, m_ciphers));
    m_probeTimer->start();
}

void SshTunnel::sshNotStarted(QProcess::ProcessError error)
{
    if (error == QProcess::FailedToStart && m_state != State::Closed)
        fail({SshTunnelFailure::Kind::Other, u"Программа ssh не запускается (%1): установите пакет openssh-client"_s.arg(
                                                 qobject_cast<QProcess *>(sender())->errorString())});
}

void SshTunnel::sshFinished()
{
    m_sshErrors += m_ssh->readAllStandardError();
    if (m_state == State::Ready) {
        const QString message = describeLostTunnel(shownHost(), m_sshErrors);
        close();
        Q_EMIT ended(message);
    } else if (m_state == State::Connecting) {
        // A key the operator chose to remember stays remembered when the
        // login fails afterwards, as ssh itself would keep it.
        QString ignored;
        keepAcceptedKey(&ignored);
        fail(describeSshFailure(m_settings, shownHost(), m_sshErrors));
    }
}

void SshTunnel::askedBySsh(const QString &prompt, const QString &hint)
{
    if (m_state != State::Connecting) {
        m_askpass->refuse();
        return;
    }
    if (isHostKeyPrompt(prompt)) {
        const SshHostKeyQuestion question = parseHostKeyPrompt(prompt);
        // Without the fingerprint the operator could not judge the key.
        if (question.fingerprint.isEmpty())
            m_askpass->refuse();
        else
            Q_EMIT hostKeyQuestion(question);
        return;
    }
    // Any other yes/no question is none of the tunnel's business.
    if (hint == u"confirm"_s) {
        m_askpass->refuse();
        return;
    }
    SshSecretQuestion question = parseSecretPrompt(prompt);
    if (question.kind == SshSecretQuestion::Kind::Passphrase)
        question.attempt = ++m_passphraseAsks;
    else if (question.kind == SshSecretQuestion::Kind::Password)
        question.attempt = ++m_passwordAsks;
    Q_EMIT secretQuestion(question);
}

void SshTunnel::answerHostKey(SshHostKeyChoice choice)
{
    if (m_state != State::Connecting)
        return;
    if (choice == SshHostKeyChoice::Cancel) {
        close();
        return;
    }
    m_hostKeyChoice = choice;
    m_hostKeyAccepted = true;
    // ssh writes the key to the first known hosts file, our once-only one.
    m_askpass->answer(QByteArrayLiteral("yes"));
}

void SshTunnel::answerSecret(const QString &secret)
{
    if (m_state == State::Connecting)
        m_askpass->answer(secret.toUtf8());
}

void SshTunnel::probe()
{
    if (m_state != State::Connecting)
        return;
    if (m_probe->state() == QLocalSocket::ConnectedState) {
        if (m_probeSince.hasExpired(probeGreetingMs))
            probeAnswered();
        return;
    }
    // ssh makes the socket once it has logged in and set up the forward.
    if (m_probe->state() == QLocalSocket::UnconnectedState && QFileInfo::exists(socketPath()))
        m_probe->connectToServer(socketPath());
}

void SshTunnel::probeAnswered()
{
    if (m_state != State::Connecting)
        return;
    // The database has greeted through the tunnel: the whole way works.
    m_probeTimer->stop();
    m_probe->abort();
    if (QString saveError; !keepAcceptedKey(&saveError)) {
        fail({SshTunnelFailure::Kind::Other,
              u"Ключ SSH-сервера %1 не сохранён в %2: %3"_s.arg(shownHost(), m_knownHostsFiles.value(0), saveError)});
        return;
    }
    m_state = State::Ready;
    Q_EMIT ready(socketPath());
}

void SshTunnel::probeClosed()
{
    if (m_state != State::Connecting)
        return;
    // The forward is up but its far end closed at once: ssh says why on its
    // error output; give it a moment.
    m_probeTimer->stop();
    const int generation = m_generation;
    QTimer::singleShot(forwardWordsMs, this, [this, generation] {
        if (generation != m_generation || m_state != State::Connecting)
            return;
        m_sshErrors += m_ssh->readAllStandardError();
        SshTunnelFailure failure = describeSshFailure(m_settings, shownHost(), m_sshErrors);
        if (failure.kind == SshTunnelFailure::Kind::Other) {
            failure.kind = SshTunnelFailure::Kind::Forwarding;
            failure.message = u"SSH-сервер %1 не открыл соединение с базой данных %2"_s.arg(
                shownHost(), sshForwardTarget(m_settings));
        }
        fail(failure);
    });
}

bool SshTunnel::keepAcceptedKey(QString *errorText)
{
    if (!m_hostKeyAccepted || m_hostKeyChoice != SshHostKeyChoice::TrustAndRemember || !m_folder)
        return true;
    m_hostKeyAccepted = false;
    QFile once(m_folder->filePath(u"known_hosts"_s));
    const QByteArray lines = once.open(QIODevice::ReadOnly) ? once.readAll() : QByteArray();
    if (lines.trimmed().isEmpty())
        return true;
    if (m_knownHostsFiles.isEmpty()) {
        *errorText = u"у ssh нет файла известных хостов"_s;
        return false;
    }
    const QString target = m_knownHostsFiles.constFirst();
    const QString folder = QFileInfo(target).absolutePath();
    // A new ~/.ssh is private, as ssh makes it.
    if (!QDir(folder).exists()
        && (!QDir().mkpath(folder)
            || !QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))) {
        *errorText = u"папка %1 не создаётся"_s.arg(folder);
        return false;
    }
    QFile known(target);
    if (!known.open(QIODevice::ReadWrite | QIODevice::Append)) {
        *errorText = known.errorString();
        return false;
    }
    QByteArray addition = lines.endsWith('\n') ? lines : lines + '\n';
    if (known.size() > 0) {
        known.seek(known.size() - 1);
        if (known.read(1) != "\n")
            addition.prepend('\n');
    }
    if (known.write(addition) != addition.size() || !known.flush()) {
        *errorText = known.errorString();
        return false;
    }
    return true;
}

void SshTunnel::failLater(SshTunnelFailure failure)
{
    const int generation = m_generation;
    QTimer::singleShot(0, this, [this, generation, failure] {
        if (generation == m_generation)
            fail(failure);
    });
}

void SshTunnel::fail(const SshTunnelFailure &failure)
{
    close();
    Q_EMIT failed(failure);
}

void SshTunnel::endProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

void SshTunnel::close()
{
    m_state = State::Closed;
    ++m_generation;
    m_probeTimer->stop();
    m_probe->abort();
    // The helper first: it is ssh's child and waits on us.
    m_askpass->close();
    endProcess(*m_resolve);
    endProcess(*m_ssh);
    m_folder.reset();
}
