#include "connect/SshConnectRoute.h"

#include "base/Error.h"
#include "connect/ConnectionSettings.h"
#include "connect/SshGroup.h"
#include "db/Connection.h"
#include "db/DbWork.h"
#include "ssh/SshRoute.h"

#include <mysql.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// How long the connection may take to find out that the tunnel is gone.
constexpr auto lossBound = 2000ms;

} // namespace

SshConnectRoute::SshConnectRoute(SshRoute &route, SshGroup &group, DbConnection &connection)
    : m_route(route), m_group(group), m_connection(connection)
{
    m_endedLink = QObject::connect(&m_route, &SshRoute::ended, [this](const QString &socket) { tunnelEnded(socket); });
}

SshConnectRoute::~SshConnectRoute()
{
    QObject::disconnect(m_endedLink);
}

void SshConnectRoute::tunnelEnded(const QString &socketPath)
{
    if (!m_connection.handle() || m_connection.login().address.socket != socketPath)
        return;
    // The connection's server is gone with the tunnel. One call on it tells
    // the connection so, as the next load would, and it is lost from now on.
    // A work running on it finds that out by itself.
    try {
        DbWork ping(m_connection, [this](WorkControl &) { mysql_ping(m_connection.handle()); });
        ping.waitFinished(lossBound);
    } catch (const QmError &) {
    }
}

bool SshConnectRoute::active() const
{
    return m_group.isOn();
}

ServerAddress SshConnectRoute::open(const ConnectionSettings &settings)
{
    // Boxes that cannot make a tunnel fail the connect before ssh starts.
    if (const QString problem = m_group.problem(); !problem.isEmpty())
        throw QmError(problem);
    ServerAddress address;
    address.host = u"localhost"_s;
    address.socket = m_route.open(settings.sshTunnel);
    return address;
}

void SshConnectRoute::close()
{
    m_route.close();
}

QString SshConnectRoute::serverText() const
{
    const SshTunnelSettings tunnel = m_group.settings();
    return u"%1 через SSH %2"_s.arg(sshForwardTarget(tunnel), sshServerText(tunnel));
}

void SshConnectRoute::show(const ConnectionSettings &settings)
{
    m_group.setSettings(settings.sshTunnel);
    m_group.setOn(settings.ssh);
}

void SshConnectRoute::take(ConnectionSettings &settings) const
{
    settings.ssh = m_group.isOn();
    settings.sshTunnel = m_group.settings();
}
