#include "mapserver/servercore.h"

#include "mapserver/httpconnection.h"

#include <QTcpServer>
#include <QTcpSocket>

ServerCore::ServerCore(ServerState &state, QObject *parent)
    : QObject(parent)
    , m_state(state)
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
    while (QTcpSocket *socket = m_server->nextPendingConnection())
        new HttpConnection(socket, m_state, this);
}
