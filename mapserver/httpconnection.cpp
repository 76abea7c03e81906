#include "mapserver/httpconnection.h"

#include "mapserver/serverstate.h"

#include <QTcpSocket>
#include <QTimer>

#include <memory>
#include <sys/socket.h>

namespace {

// Qt reads at most this much ahead of us, so a flood never piles up inside the socket.
constexpr qint64 ReadChunkBytes = 64 * 1024;

// Closes once the answers written are sent. The client's further bytes are read and dropped
// meanwhile: closing over unread bytes resets the connection, which can destroy the answer
// before the client reads it. A client that reads nothing or keeps sending is reset.
void closeAfterWrite(QTcpSocket *socket, const ServerLimits &limits)
{
    auto dropped = std::make_shared<qint64>(0);
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, dropped, cap = limits.maxDrainBytes] {
        *dropped += socket->readAll().size();
        if (*dropped > cap)
            socket->abort();
    });
    auto shutWhenSent = [socket] {
        if (socket->bytesToWrite() == 0 && socket->state() == QAbstractSocket::ConnectedState)
            ::shutdown(int(socket->socketDescriptor()), SHUT_WR);
    };
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, shutWhenSent);
    shutWhenSent();
    QTimer::singleShot(limits.closeGraceMs, socket, &QTcpSocket::abort);
}

QByteArray errorAnswer(int status)
{
    const QByteArray body = errorPage(status);
    return responseHead(status, "text/html; charset=utf-8", body.size(), false) + body;
}

} // namespace

HttpConnection::HttpConnection(QTcpSocket *socket, ServerState &state, const ServerLimits &limits, QObject *parent)
    : QObject(parent)
    , m_socket(socket)
    , m_state(state)
    , m_limits(limits)
    , m_idle(new QTimer(this))
{
    m_state.connections.opened();
    m_socket->setParent(this);
    m_socket->setReadBufferSize(ReadChunkBytes);
    // Without it the last segment of every answer waits for the client's delayed ACK (~40 ms).
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(m_socket, &QTcpSocket::readyRead, this, &HttpConnection::readRequests);
    // Answers held back while the client was not reading resume as it reads.
    connect(m_socket, &QTcpSocket::bytesWritten, this, &HttpConnection::serveBuffered);
    connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    m_idle->setSingleShot(true);
    m_idle->setInterval(m_limits.idleTimeoutMs);
    connect(m_idle, &QTimer::timeout, this, &HttpConnection::idleExpired);
    m_idle->start();
}

HttpConnection::~HttpConnection()
{
    m_state.connections.closed();
}

void HttpConnection::readRequests()
{
    if (m_closing)
        return;  // the answer that closes is on its way; closeAfterWrite drops what follows
    m_buffer += m_socket->readAll();
    if (m_buffer.size() > m_limits.maxUnreadBytes) {
        m_buffer.clear();
        fail(429);
        return;
    }
    serveBuffered();
}

void HttpConnection::serveBuffered()
{
    while (!m_busy && !m_closing && m_socket->bytesToWrite() <= m_limits.maxPendingOutput) {
        const qsizetype end = m_buffer.indexOf("\r\n\r\n");
        if (end > MaxRequestHeadBytes || (end < 0 && m_buffer.size() > MaxRequestHeadBytes)) {
            fail(431);
            return;
        }
        if (end < 0)
            return;
        const QByteArray head = m_buffer.left(end);
        m_buffer.remove(0, end + 4);
        HttpRequestHead request;
        if (!parseRequestHead(head, request)) {
            fail(400);
            return;
        }
        m_idle->stop();
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
    if (m_closing)
        return;  // cut while the answer was delayed
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
    if (fault.trickleBytesPerSecond > 0 && !body.isEmpty()) {
        m_socket->write(responseHeadBytes);
        trickle(body, fault.trickleBytesPerSecond, keepAlive);
        return;
    }
    send(responseHeadBytes, body, keepAlive);
}

void HttpConnection::trickle(const QByteArray &rest, int bytesPerSecond, bool keepAlive)
{
    if (m_closing)
        return;
    // Ten pieces a second: a client that measures its speed over a second sees the rate asked for.
    const qsizetype piece = qMax(1, bytesPerSecond / 10);
    if (rest.size() <= piece) {
        send({}, rest, keepAlive);
        return;
    }
    m_socket->write(rest.left(piece));
    QTimer::singleShot(100, this, [this, more = rest.mid(piece), bytesPerSecond, keepAlive] {
        trickle(more, bytesPerSecond, keepAlive);
    });
}

void HttpConnection::send(const QByteArray &head, const QByteArray &body, bool keepAlive)
{
    m_socket->write(head + body);
    if (!keepAlive) {
        m_closing = true;
        closeAfterWrite(m_socket, m_limits);
        return;
    }
    m_busy = false;
    m_idle->start();
    if (!m_buffer.isEmpty())
        QTimer::singleShot(0, this, &HttpConnection::serveBuffered);
}

void HttpConnection::fail(int status)
{
    m_idle->stop();
    m_busy = true;
    m_closing = true;
    m_socket->write(errorAnswer(status));
    closeAfterWrite(m_socket, m_limits);
}

void HttpConnection::idleExpired()
{
    if (m_busy || m_closing)
        return;
    if (m_buffer.isEmpty()) {
        m_closing = true;
        closeAfterWrite(m_socket, m_limits);
    } else {
        fail(408);  // a request begun and never finished
    }
}

void refuseConnection(QTcpSocket *socket, const ServerLimits &limits)
{
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    socket->write(errorAnswer(503));
    closeAfterWrite(socket, limits);
}
