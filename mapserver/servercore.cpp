#include "mapserver/servercore.h"

#include "mapserver/httpconnection.h"
#include "mapserver/serverstate.h"

#include <QTcpServer>
#include <QTcpSocket>

ServerCore::ServerCore(ServerState &state, const ServerLimits &limits, QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_limits(limits)
    , m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &ServerCore::acceptConnections);
}

bool ServerCore::listen(quint16 port)
{
    return m_server->listen(QHostAddress::LocalHost, port);
}

quint16 ServerCore::port() const
{
    return m_server->serverPort();
}

void ServerCore::shutdown()
{
    m_server->close();
    qDeleteAll(findChildren<HttpConnection *>(Qt::FindDirectChildrenOnly));
}

void ServerCore::acceptConnections()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (m_state.connections.open() >= m_limits.maxConnections)
            refuseConnection(socket, m_limits);
        else
            new HttpConnection(socket, m_state, m_limits, this);
    }
}
