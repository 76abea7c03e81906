#include "mapserver/httpconnection.h"

#include "mapserver/serverstate.h"

#include <QTcpSocket>
#include <QTimer>

HttpConnection::HttpConnection(QTcpSocket *socket, ServerState &state, QObject *parent)
    : QObject(parent)
    , m_socket(socket)
    , m_state(state)
{
    m_state.connections.opened();
    m_socket->setParent(this);
    // Without it the last segment of every answer waits for the client's delayed ACK (~40 ms).
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(m_socket, &QTcpSocket::readyRead, this, &HttpConnection::readRequests);
    connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
}

HttpConnection::~HttpConnection()
{
    m_state.connections.closed();
}

void HttpConnection::readRequests()
{
    m_buffer += m_socket->readAll();
    while (!m_busy && !m_closing) {
        const qsizetype end = m_buffer.indexOf("\r\n\r\n");
        if (end < 0) {
            if (m_buffer.size() > MaxRequestHeadBytes)
                fail(431);
            return;
        }
        const QByteArray head = m_buffer.left(end);
        m_buffer.remove(0, end + 4);
        HttpRequestHead request;
        if (!parseRequestHead(head, request)) {
            fail(400);
            return;
        }
        const QString path = QString::fromLatin1(request.target);
        m_state.requests.append(path);
        const Fault fault = m_state.faults.match(path).value_or(Fault{});
        if (fault.refuse) {
            m_closing = true;
            m_socket->abort();
            deleteLater();
            return;
        }
        m_busy = true;
        if (fault.hang)
            return;  // never answered; the client gives up or the server stops
        if (fault.delayMs > 0) {
            QTimer::singleShot(fault.delayMs, this, [this, request, fault] { answer(request, fault); });
            return;
        }
        answer(request, fault);
    }
}

void HttpConnection::answer(const HttpRequestHead &request, const Fault &fault)
{
    const bool head = request.method == "HEAD";
    int status = 200;
    QByteArray body;
    if (fault.status >= 400) {
        status = fault.status;
    } else if (request.method != "GET" && !head) {
        status = 405;
    } else {
        body = m_state.store.bytes(QString::fromLatin1(request.target));
        if (body.isEmpty())
            status = 404;
    }
    const QByteArray type = status == 200 ? QByteArrayLiteral("image/gif") : QByteArrayLiteral("text/html; charset=utf-8");
    if (status != 200)
        body = errorPage(status);

    const bool closeDelimited = fault.noContentLength;
    const bool keepAlive = request.keepAlive && !closeDelimited && fault.cutAfter < 0;
    const QByteArray responseHeadBytes = responseHead(status, type, closeDelimited ? -1 : body.size(), keepAlive);
    if (head)
        body.clear();
    else if (fault.cutAfter >= 0)
        body.truncate(fault.cutAfter);
    send(responseHeadBytes, body, keepAlive);
}

void HttpConnection::send(const QByteArray &head, const QByteArray &body, bool keepAlive)
{
    m_socket->write(head + body);
    if (!keepAlive) {
        m_closing = true;
        m_socket->disconnectFromHost();  // after the pending bytes are written
        return;
    }
    m_busy = false;
    if (!m_buffer.isEmpty())
        QTimer::singleShot(0, this, &HttpConnection::readRequests);
}

void HttpConnection::fail(int status)
{
    const QByteArray body = errorPage(status);
    m_busy = true;
    send(responseHead(status, "text/html; charset=utf-8", body.size(), false), body, false);
}
