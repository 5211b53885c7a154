#include "db/DbLogin.h"

#include <mysql.h>

bool connectClientRecord(MYSQL *record, const DbLogin &login, const DbTimeouts &timeouts)
{
    // The login's bytes are cp1251: the server reads the account name in that code page too.
    mysql_options(record, MYSQL_SET_CHARSET_NAME, "cp1251");
    if (timeouts.connectSeconds > 0)
        mysql_options(record, MYSQL_OPT_CONNECT_TIMEOUT, &timeouts.connectSeconds);
    if (timeouts.readWriteSeconds > 0) {
        mysql_options(record, MYSQL_OPT_READ_TIMEOUT, &timeouts.readWriteSeconds);
        mysql_options(record, MYSQL_OPT_WRITE_TIMEOUT, &timeouts.readWriteSeconds);
    }
    const char *socket = login.endpoint.socket.isEmpty() ? nullptr : login.endpoint.socket.constData();
    return mysql_real_connect(record, login.host.constData(), login.user.constData(), login.password.constData(),
                              nullptr, login.endpoint.port, socket, 0)
        != nullptr;
}
