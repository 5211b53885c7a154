#include "db/SshConnectRoute.h"

#include "base/Error.h"
#include "db/ConnectionSettings.h"
#include "db/SshGroup.h"
#include "db/SshRoute.h"

using namespace Qt::StringLiterals;

SshConnectRoute::SshConnectRoute(SshRoute &route, SshGroup &group) : m_route(route), m_group(group) {}

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
