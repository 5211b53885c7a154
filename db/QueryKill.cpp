#include "db/QueryKill.h"

#include "base/Codepage.h"
#include "db/DbLogin.h"

#include <mysql.h>

namespace {

constexpr unsigned timeoutSeconds = 1;

} // namespace

bool KillQuery(const DbLogin &login, unsigned long threadId, QString *errorText)
{
    MYSQL *mysql = mysql_init(nullptr);
    if (!mysql)
        return false;
    bool killed = false;
    if (connectClientRecord(mysql, login, {timeoutSeconds, timeoutSeconds})) {
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
