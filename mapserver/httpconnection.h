#pragma once
// One client connection of the demonstration server: requests one after the other on the
// same connection (keep-alive), each answered with a map, an error page or a fault.
#include "mapserver/faulttable.h"
#include "mapserver/httpmessage.h"

#include <QByteArray>
#include <QObject>

class QTcpSocket;
struct ServerState;

class HttpConnection : public QObject {
    Q_OBJECT
public:
    HttpConnection(QTcpSocket *socket, ServerState &state, QObject *parent = nullptr);
    ~HttpConnection() override;  // the connection is closed by now, or closes with it

private:
    void readRequests();
    void answer(const HttpRequestHead &request, const Fault &fault);
    void send(const QByteArray &head, const QByteArray &body, bool keepAlive);
    void fail(int status);

    QTcpSocket *m_socket;
    ServerState &m_state;
    QByteArray m_buffer;
    bool m_busy = false;      // a request is being answered (or delayed, or hanging)
    bool m_closing = false;
};
