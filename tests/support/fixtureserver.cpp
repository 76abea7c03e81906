#include "tests/support/fixtureserver.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

FixtureResponse FixtureResponse::ok(const QByteArray &body, const QByteArray &contentType)
{
    FixtureResponse response;
    response.headers = {{"Content-Type", contentType}};
    response.body = body;
    return response;
}

FixtureResponse FixtureResponse::error(int status, const QByteArray &reason)
{
    FixtureResponse response;
    response.status = status;
    response.reason = reason;
    response.headers = {{"Content-Type", "text/html"}};
    response.body = "<html><body><h1>" + QByteArray::number(status) + " " + reason + "</h1></body></html>\n";
    return response;
}

QByteArray FixtureRequest::header(const QByteArray &name) const
{
    for (const auto &h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    return {};
}

FixtureServer::FixtureServer(QObject *parent) : QObject(parent)
{
    m_default = FixtureResponse::error(404, "Not Found");
    connect(&m_server, &QTcpServer::newConnection, this, &FixtureServer::onNewConnection);
    m_server.listen(QHostAddress::LocalHost, 0);
}

FixtureServer::~FixtureServer()
{
    // Hanging connections would otherwise outlive the server.
    const auto sockets = m_server.findChildren<QTcpSocket *>();
    for (QTcpSocket *socket : sockets)
        socket->abort();
}

quint16 FixtureServer::port() const { return m_server.serverPort(); }

QString FixtureServer::host() const { return QStringLiteral("127.0.0.1:%1").arg(port()); }

QString FixtureServer::url(const QString &path) const { return QStringLiteral("http://") + host() + path; }

void FixtureServer::setResponse(const QString &path, const FixtureResponse &response)
{
    m_responses.insert(path, response);
}

void FixtureServer::setDefaultResponse(const FixtureResponse &response) { m_default = response; }

void FixtureServer::setHandler(std::function<FixtureResponse(const FixtureRequest &)> handler)
{
    m_handler = std::move(handler);
}

void FixtureServer::clear()
{
    m_responses.clear();
    m_default = FixtureResponse::error(404, "Not Found");
    m_handler = nullptr;
    m_requests.clear();
}

QList<FixtureRequest> FixtureServer::requests() const { return m_requests; }

int FixtureServer::requestCount(const QString &path) const
{
    int count = 0;
    for (const FixtureRequest &request : m_requests)
        count += request.path == path ? 1 : 0;
    return count;
}

void FixtureServer::clearRequests() { m_requests.clear(); }

int FixtureServer::connectionCount() const { return m_connectionCount; }

void FixtureServer::closeConnections()
{
    const auto sockets = m_server.findChildren<QTcpSocket *>();
    for (QTcpSocket *socket : sockets)
        socket->disconnectFromHost();
}

int FixtureServer::openConnections() const
{
    int count = 0;
    const auto sockets = m_server.findChildren<QTcpSocket *>();
    for (const QTcpSocket *socket : sockets)
        count += socket->state() == QAbstractSocket::ConnectedState ? 1 : 0;
    return count;
}

quint16 FixtureServer::unusedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

void FixtureServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        ++m_connectionCount;
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_pending.remove(socket);
            socket->deleteLater();
        });
    }
}

void FixtureServer::onReadyRead(QTcpSocket *socket)
{
    QByteArray &buffer = m_pending[socket];
    buffer += socket->readAll();
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return;

    const QList<QByteArray> lines = buffer.left(end).split('\n');
    const QByteArray rest = buffer.mid(end + 4);
    m_pending.remove(socket);
    FixtureRequest request;
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.path = QString::fromLatin1(requestLine.value(1));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            request.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }
    m_requests.append(request);

    const FixtureResponse response = m_handler ? m_handler(request)
                                               : m_responses.value(request.path, m_default);
    if (response.keepAlive && response.behaviour == FixtureResponse::Answer) {
        // The connection stays open for the next request.
        if (!rest.isEmpty())
            m_pending.insert(socket, rest);
    } else {
        // One request per connection: anything after it is ignored.
        disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    }
    if (response.headerDelayMs > 0) {
        QPointer<QTcpSocket> guard(socket);
        QTimer::singleShot(response.headerDelayMs, this, [this, guard, response] {
            if (guard)
                answer(guard, response);
        });
    } else {
        answer(socket, response);
    }
}

void FixtureServer::answer(QTcpSocket *socket, const FixtureResponse &response)
{
    if (response.behaviour == FixtureResponse::Hang)
        return;
    if (response.behaviour == FixtureResponse::CloseAtOnce) {
        socket->disconnectFromHost();
        return;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + response.reason + "\r\n";
    for (const auto &h : response.headers)
        head += h.first + ": " + h.second + "\r\n";
    if (response.sendContentLength)
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    head += response.keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    socket->write(head);

    const QByteArray body = response.cutAfter >= 0 ? response.body.left(response.cutAfter) : response.body;
    // A cut body always ends with a hang-up, or the client would wait for the rest.
    writeBody(socket, body, response.pieceSize, response.pieceDelayMs, response.keepAlive && response.cutAfter < 0);
}

void FixtureServer::writeBody(QTcpSocket *socket, const QByteArray &body, int pieceSize, int delayMs, bool keepAlive)
{
    if (pieceSize <= 0) {
        socket->write(body);
        if (!keepAlive)
            socket->disconnectFromHost();  // flushes what is written, then closes
        return;
    }
    const QPointer<QTcpSocket> guard(socket);
    QTimer::singleShot(delayMs, this, [this, guard, body, pieceSize, delayMs, keepAlive] {
        if (!guard)
            return;
        guard->write(body.left(pieceSize));
        if (body.size() > pieceSize)
            writeBody(guard, body.mid(pieceSize), pieceSize, delayMs, keepAlive);
        else if (!keepAlive)
            guard->disconnectFromHost();
    });
}
