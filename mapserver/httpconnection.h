#pragma once
// One client connection of the demonstration server: requests one after the other on the
// same connection (keep-alive), each answered with a map, an error page or a fault.
#include "mapserver/faulttable.h"
#include "mapserver/httpmessage.h"
#include "mapserver/serverlimits.h"

#include <QByteArray>
#include <QObject>

class QTcpSocket;
class QTimer;
struct ServerState;

class HttpConnection : public QObject {
    Q_OBJECT
public:
    HttpConnection(QTcpSocket *socket, ServerState &state, const ServerLimits &limits, QObject *parent = nullptr);
    ~HttpConnection() override;  // the connection is closed by now, or closes with it

private:
    void readRequests();
    void serveBuffered();
    void answer(const HttpRequestHead &request, const Fault &fault);
    void send(const QByteArray &head, const QByteArray &body, bool keepAlive);
    void trickle(const QByteArray &rest, int bytesPerSecond, bool keepAlive);
    void fail(int status);
    void idleExpired();

    QTcpSocket *m_socket;
    ServerState &m_state;
    const ServerLimits m_limits;
    QTimer *m_idle;
    QByteArray m_buffer;
    bool m_busy = false;      // a request is being answered (or delayed, or hanging)
    bool m_closing = false;
};

// Answers 503 to a connection over the cap and closes it; the socket deletes itself.
void refuseConnection(QTcpSocket *socket, const ServerLimits &limits);
