#include "db/DbLogin.h"

#include "base/Codepage.h"
#include "base/Error.h"
#include "db/CaFile.h"
#include "db/TlsProbe.h"

#include <QFile>

#include <errmsg.h>
#include <mysql.h>

#include <chrono>
#include <initializer_list>

#include <poll.h>

using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;

// How often a wait for the server looks whether it was cancelled.
constexpr std::chrono::milliseconds cancelCheckEvery{50};

struct BoxText
{
    const QString &text;
    QString what;
    QByteArray *bytes;
};

short pollEvents(int waitFor)
{
    return short(((waitFor & MYSQL_WAIT_READ) ? POLLIN : 0) | ((waitFor & MYSQL_WAIT_WRITE) ? POLLOUT : 0)
                 | ((waitFor & MYSQL_WAIT_EXCEPT) ? POLLPRI : 0));
}

// Waits for what the library waits for, in slices; the events that came
// (MYSQL_WAIT_TIMEOUT once the library's own time limit is up), or nullopt
// when the wait was cancelled.
std::optional<int> awaitServer(MYSQL *record, int waitFor, const std::atomic<bool> *cancel)
{
    const bool timed = (waitFor & MYSQL_WAIT_TIMEOUT) != 0;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(timed ? mysql_get_timeout_value_ms(record) : 0);
    pollfd socket{static_cast<int>(mysql_get_socket(record)), pollEvents(waitFor), 0};
    for (;;) {
        if (cancel && cancel->load())
            return std::nullopt;
        auto slice = cancelCheckEvery;
        if (timed) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return MYSQL_WAIT_TIMEOUT;
            slice = std::min(slice, left + std::chrono::milliseconds(1));
        }
        if (::poll(&socket, 1, int(slice.count())) > 0) {
            // An error or a hang-up is read by the library as such.
            const bool broken = (socket.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
            return ((socket.revents & POLLIN) || broken ? MYSQL_WAIT_READ : 0)
                | ((socket.revents & POLLOUT) || broken ? MYSQL_WAIT_WRITE : 0)
                | ((socket.revents & POLLPRI) ? MYSQL_WAIT_EXCEPT : 0);
        }
    }
}

QString libraryErrorText(MYSQL *record)
{
    const char *text = mysql_error(record);
    return Cp1251::decode(text, qsizetype(qstrlen(text)));
}

} // namespace

QString textOutsideCp1251(const QString &box)
{
    return u"В поле «%1» есть знаки вне Windows-1251: текст не отправлен"_s.arg(box);
}

std::optional<DbLogin> makeDbLogin(const ServerAddress &address, const QString &user, const QString &password,
                                   const TlsOptions &tls, QString *refusal)
{
    DbLogin login{address, {}, {}, {}, tls, {}};
    for (const BoxText &box : {BoxText{address.host, u"Хост"_s, &login.host},
                               BoxText{user, u"Имя"_s, &login.user},
                               BoxText{password, u"Пароль"_s, &login.password}}) {
        if (!Cp1251::encodeInto(box.text, *box.bytes)) {
            *refusal = textOutsideCp1251(box.what);
            return std::nullopt;
        }
    }
    return login;
}

void ClientRecordClose::operator()(MYSQL *record) const
{
    mysql_close(record);
}

ClientRecord newClientRecord()
{
    MYSQL *record = mysql_init(nullptr);
    if (!record)
        throw QmError(u"Не хватает памяти для соединения с базой данных"_s);
    return ClientRecord(record);
}

ConnectOutcome connectClientRecord(MYSQL *record, const DbLogin &login, const DbTimeouts &timeouts,
                                   const std::atomic<bool> *cancel)
{
    mysql_options(record, MYSQL_SET_CHARSET_NAME, "cp1251");
    if (timeouts.connectSeconds > 0)
        mysql_options(record, MYSQL_OPT_CONNECT_TIMEOUT, &timeouts.connectSeconds);
    if (timeouts.readWriteSeconds > 0) {
        mysql_options(record, MYSQL_OPT_READ_TIMEOUT, &timeouts.readWriteSeconds);
        mysql_options(record, MYSQL_OPT_WRITE_TIMEOUT, &timeouts.readWriteSeconds);
    }
    applyServerAddress(record, login.address);
    QByteArray fingerprint;
    if (login.tls.mode == TlsMode::Required || login.tls.mode == TlsMode::Verified) {
        if (login.tls.mode == TlsMode::Verified && !login.tls.caFile.isEmpty())
            if (const QString problem = caFileProblem(login.tls.caFile); !problem.isEmpty())
                return {CR_SSL_CONNECTION_ERROR, problem};
        const TlsProbe probe = probeServerTls(login, timeouts.connectSeconds, cancel);
        if (probe.cancelled)
            return {CR_CONNECTION_ERROR, u"Соединение отменено"_s, true};
        if (!probe.problem.isEmpty())
            return {CR_SSL_CONNECTION_ERROR, probe.problem};
        fingerprint = probe.fingerprint;
    }
    applyTlsOptions(record, login.tls, fingerprint);
    // The library's non-blocking connect: this thread does the waiting, so a
    // cancel is seen however long the server keeps silent. The record works
    // as any other once connected.
    mysql_options(record, MYSQL_OPT_NONBLOCK, nullptr);

    const QByteArray socket = QFile::encodeName(login.address.socket);
    MYSQL *connected = nullptr;
    int waitFor = mysql_real_connect_start(&connected, record, login.host.constData(), login.user.constData(),
                                           login.password.constData(), nullptr, login.address.port,
                                           socket.isEmpty() ? nullptr : socket.constData(), 0);
    while (waitFor != 0) {
        const std::optional<int> ready = awaitServer(record, waitFor, cancel);
        if (!ready) {
            // Every later read or write on the half-made link fails at once,
            // so the close that follows cannot wait on the server.
            mariadb_cancel(record);
            return {CR_CONNECTION_ERROR, u"Соединение отменено"_s, true};
        }
        waitFor = mysql_real_connect_cont(&connected, record, *ready);
    }
    if (!connected) {
        const unsigned errorNumber = mysql_errno(record) != 0 ? mysql_errno(record) : unsigned(CR_UNKNOWN_ERROR);
        const QString text = errorNumber == CR_SSL_CONNECTION_ERROR ? explainTlsRefusal(libraryErrorText(record))
                                                                    : libraryErrorText(record);
        return {errorNumber, explainConnectError(errorNumber, text, login.address)};
    }
    if (const QString shortfall = tlsShortfall(record, login.tls); !shortfall.isEmpty())
        return {CR_SSL_CONNECTION_ERROR, shortfall};
    return {};
}

std::optional<int> selectDatabaseOn(MYSQL *record, const QByteArray &name, const std::atomic<bool> *cancel)
{
    int result = 1;
    int waitFor = mysql_select_db_start(&result, record, name.constData());
    while (waitFor != 0) {
        const std::optional<int> ready = awaitServer(record, waitFor, cancel);
        if (!ready) {
            mariadb_cancel(record);
            return std::nullopt;
        }
        waitFor = mysql_select_db_cont(&result, record, *ready);
    }
    return result;
}
