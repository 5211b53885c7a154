#pragma once

#include "db/ConnectRoute.h"

class SshGroup;
class SshRoute;

// The SSH tunnel as the connect's way to the server: the group on the page
// says whether it is taken and where it goes, the window's SshRoute opens it.
// The connection then goes to the tunnel's local socket, and so does the
// second connection that ends a query.
class SshConnectRoute : public ConnectRoute
{
public:
    SshConnectRoute(SshRoute &route, SshGroup &group);

    bool active() const override;
    ServerAddress open(const ConnectionSettings &settings) override;
    void close() override;
    QString serverText() const override;
    void show(const ConnectionSettings &settings) override;
    void take(ConnectionSettings &settings) const override;

private:
    SshRoute &m_route;
    SshGroup &m_group;
};
