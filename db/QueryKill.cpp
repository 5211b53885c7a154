#include "db/QueryKill.h"

#include "base/Codepage.h"
#include "db/Connection.h"

#include <mysql.h>

namespace {

constexpr unsigned timeoutSeconds = 1;

} // namespace

bool KillQuery(const DbLogin &login, unsigned long threadId, QString *errorText)
{
    MYSQL *mysql = mysql_init(nullptr);
    if (!mysql)
        return false;
    mysql_options(mysql, MYSQL_OPT_CONNECT_TIMEOUT, &timeoutSeconds);
    mysql_options(mysql, MYSQL_OPT_READ_TIMEOUT, &timeoutSeconds);
    mysql_options(mysql, MYSQL_OPT_WRITE_TIMEOUT, &timeoutSeconds);
    const char *socket = login.endpoint.socket.isEmpty() ? nullptr : login.endpoint.socket.constData();
    bool killed = false;
    if (mysql_real_connect(mysql, login.host.constData(), login.user.constData(), login.password.constData(),
                           nullptr, login.endpoint.port, socket, 0)) {
        const QByteArray kill = "KILL QUERY " + QByteArray::number(qulonglong(threadId));
        killed = mysql_real_query(mysql, kill.constData(), static_cast<unsigned long>(kill.size())) == 0;
    }
    if (!killed && errorText) {
        const char *text = mysql_error(mysql);
        *errorText = Cp1251::decode(text, qsizetype(qstrlen(text)));
    }
    mysql_close(mysql);
    return killed;
}
