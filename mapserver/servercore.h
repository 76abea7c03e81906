#pragma once
// The listening side of the demonstration server; lives in the server thread.
#include <QObject>

class QTcpServer;
struct ServerState;

class ServerCore : public QObject {
    Q_OBJECT
public:
    explicit ServerCore(ServerState &state, QObject *parent = nullptr);

    bool listen(quint16 port);
    quint16 port() const;
    // Stops listening and drops every open connection.
    void shutdown();

private:
    void acceptConnections();

    ServerState &m_state;
    QTcpServer *m_server;
};
