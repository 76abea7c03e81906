#pragma once
// The listening side of the demonstration server; lives in the server thread.
#include "mapserver/serverlimits.h"

#include <QObject>

class QTcpServer;
struct ServerState;

class ServerCore : public QObject {
    Q_OBJECT
public:
    ServerCore(ServerState &state, const ServerLimits &limits, QObject *parent = nullptr);

    bool listen(quint16 port);
    quint16 port() const;
    // Stops listening and drops every open connection.
    void shutdown();

private:
    void acceptConnections();

    ServerState &m_state;
    const ServerLimits m_limits;
    QTcpServer *m_server;
};
