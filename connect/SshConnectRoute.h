#pragma once

#include "connect/ConnectRoute.h"

#include <QMetaObject>

class DbConnection;
class SshGroup;
class SshRoute;

// The SSH tunnel as the connect's way to the server: the group on the page
// says whether it is taken and where it goes, the window's SshRoute opens it.
// The connection then goes to the tunnel's local socket, and so does the
// second connection that ends a query. When the tunnel goes away, the
// connection made through it is lost from then on, so that the next load says so.
class SshConnectRoute : public ConnectRoute
{
public:
    SshConnectRoute(SshRoute &route, SshGroup &group, DbConnection &connection);
    ~SshConnectRoute() override;
    SshConnectRoute(const SshConnectRoute &) = delete;
    SshConnectRoute &operator=(const SshConnectRoute &) = delete;

    bool active() const override;
    ServerAddress open(const ConnectionSettings &settings) override;
    void close() override;
    QString serverText() const override;
    void show(const ConnectionSettings &settings) override;
    void take(ConnectionSettings &settings) const override;

private:
    void tunnelEnded(const QString &socketPath);

    SshRoute &m_route;
    SshGroup &m_group;
    DbConnection &m_connection;
    QMetaObject::Connection m_endedLink;
};
