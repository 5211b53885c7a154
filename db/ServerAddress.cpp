#include "db/ServerAddress.h"

#include <QFile>

#include <errmsg.h>
#include <mysql.h>

#include <algorithm>

#include <arpa/inet.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

bool isIpv6(const QString &text)
{
    in6_addr address {};
    return inet_pton(AF_INET6, text.toLatin1().constData(), &address) == 1;
}

ServerAddressParse refuse(const QString &error)
{
    return {std::nullopt, error};
}

ServerAddressParse socketAddress(const QString &path, unsigned port)
{
    if (port != 0)
        return refuse(u"Порт %1 не нужен при сокете %2: уберите его или укажите хост"_s.arg(port).arg(path));
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return refuse(u"Сокет %1 не найден: сервер не запущен или путь неверен"_s.arg(path));
    if (!S_ISSOCK(info.st_mode))
        return refuse(u"%1 не сокет сервера"_s.arg(path));
    return {ServerAddress{{}, 0, path}, {}};
}

} // namespace

bool ServerAddress::needsTcp() const
{
    return socket.isEmpty() && port != 0 && (host.isEmpty() || host.compare(u"localhost"_s, Qt::CaseInsensitive) == 0);
}

std::optional<unsigned> readPort(const QString &text, QString *error)
{
    bool ok = false;
    const uint port = text.toUInt(&ok);
    const bool digitsOnly = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= u'0' && c <= u'9';
    });
    if (!digitsOnly || !ok || port < 1 || port > 65535) {
        *error = u"Порт должен быть числом от 1 до 65535, а не «%1»"_s.arg(text);
        return std::nullopt;
    }
    return port;
}

ServerAddressParse parseServerAddress(const QString &hostText, const QString &portText)
{
    const QString text = hostText.trimmed();
    QString error;
    unsigned boxPort = 0;
    if (!portText.trimmed().isEmpty()) {
        const std::optional<unsigned> port = readPort(portText.trimmed(), &error);
        if (!port)
            return refuse(error);
        boxPort = *port;
    }

    if (text.startsWith(u'/'))
        return socketAddress(text, boxPort);

    QString host = text;
    QString hostPortText;
    if (text.startsWith(u'[')) {
        // [IPv6] or [IPv6]:port
        const qsizetype close = text.indexOf(u']');
        const QString rest = close < 0 ? QString() : text.mid(close + 1);
        if (close < 0 || (!rest.isEmpty() && !rest.startsWith(u':')))
            return refuse(u"Неверный адрес «%1»: ожидается [адрес IPv6]:порт"_s.arg(text));
        host = text.mid(1, close - 1);
        hostPortText = rest.mid(1);
        if (!rest.isEmpty() && hostPortText.isEmpty())
            return refuse(u"После «%1» нет порта"_s.arg(text));
        if (!isIpv6(host))
            return refuse(u"Неверный адрес IPv6 «%1»"_s.arg(host));
    } else if (text.count(u':') == 1) {
        const qsizetype colon = text.indexOf(u':');
        host = text.left(colon);
        hostPortText = text.mid(colon + 1);
        if (hostPortText.isEmpty())
            return refuse(u"После «%1» нет порта"_s.arg(text));
    } else if (text.count(u':') > 1) {
        // Without brackets, several colons can only be an IPv6 address.
        if (!isIpv6(text))
            return refuse(u"Неверный адрес IPv6 «%1»; адрес с портом пишется так: [адрес]:порт"_s.arg(text));
    }

    unsigned port = boxPort;
    if (!hostPortText.isEmpty()) {
        const std::optional<unsigned> hostPort = readPort(hostPortText, &error);
        if (!hostPort)
            return refuse(error);
        if (boxPort != 0 && boxPort != *hostPort)
            return refuse(u"Порт указан дважды: %1 в поле хоста и %2 в поле порта"_s.arg(*hostPort).arg(boxPort));
        port = *hostPort;
    }
    return {ServerAddress{host, port, {}}, {}};
}

void applyServerAddress(st_mysql *mysql, const ServerAddress &address)
{
    const unsigned protocol = address.needsTcp() ? MYSQL_PROTOCOL_TCP : MYSQL_PROTOCOL_DEFAULT;
    mysql_optionsv(mysql, MYSQL_OPT_PROTOCOL, &protocol);
}

QString explainConnectError(unsigned errorNumber, const QString &libraryText, const ServerAddress &address)
{
    if (errorNumber == CR_UNKNOWN_HOST)
        return u"Сервер «%1» не найден: имя не разрешается в адрес (%2)"_s.arg(address.host, libraryText);
    return libraryText;
}
