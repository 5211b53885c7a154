#include "DbTestSupport.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <mysql.h>

using namespace Qt::StringLiterals;

QByteArray sharedSocket()
{
    return qgetenv("MYSQL_UNIX_PORT");
}

int runDbScript(const QStringList &args, const QStringList &env, QString *output)
{
    const QString source = qEnvironmentVariable("QM_SOURCE_DIR");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &entry : env) {
        const qsizetype eq = entry.indexOf(u'=');
        environment.insert(entry.left(eq), entry.mid(eq + 1));
    }
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(source + u"/scripts/db"_s, args);
    if (!process.waitForFinished(180000))
        return -1;
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

int openSessions(const QByteArray &user)
{
    MYSQL *admin = mysql_init(nullptr);
    int count = -1;
    if (mysql_real_connect(admin, "localhost", "root", "kelp", nullptr, 0, sharedSocket().constData(), 0)) {
        const QByteArray query = "SELECT COUNT(*) FROM information_schema.processlist WHERE user = '" + user + "'";
        if (mysql_query(admin, query.constData()) == 0) {
            if (MYSQL_RES *result = mysql_store_result(admin)) {
                if (MYSQL_ROW row = mysql_fetch_row(result))
                    count = QByteArray(row[0]).toInt();
                mysql_free_result(result);
            }
        }
    }
    mysql_close(admin);
    return count;
}

bool runAsRoot(const QByteArray &statement, const QByteArray &socket)
{
    MYSQL *admin = mysql_init(nullptr);
    // Names in the statement (accounts, databases) are written in UTF-8.
    mysql_options(admin, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    const bool ok = mysql_real_connect(admin, "localhost", "root", "kelp", nullptr, 0, socket.constData(), 0)
        && mysql_query(admin, statement.constData()) == 0;
    mysql_close(admin);
    return ok;
}

ThrowawayServer::ThrowawayServer(const QStringList &extraEnv)
    : m_extraEnv(extraEnv)
{
}

ThrowawayServer::~ThrowawayServer()
{
    if (m_started)
        stop(nullptr);
}

QStringList ThrowawayServer::env() const
{
    return QStringList{u"QM_DB_DIR="_s + m_dir.path()} + m_extraEnv;
}

bool ThrowawayServer::start(QString *output)
{
    m_started = true;
    return runDbScript({u"start"_s}, env(), output) == 0;
}

bool ThrowawayServer::stop(QString *output)
{
    m_started = false;
    return runDbScript({u"stop"_s}, env(), output) == 0;
}

qint64 ThrowawayServer::pid() const
{
    QFile file(m_dir.path() + u"/mysqld.pid"_s);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
}

unsigned ThrowawayServer::port() const
{
    QFile file(m_dir.path() + u"/port"_s);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toUInt() : 0;
}

QByteArray ThrowawayServer::socket() const
{
    return m_dir.path().toLocal8Bit() + "/mysqld.sock";
}
