#include "tests/support/fixtureserver.h"

#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <memory>

ScriptedServer::ScriptedServer(QTcpServer *listener, const QString &scheme)
    : m_listener(listener)
    , m_scheme(scheme)
{
    m_listener->setParent(this);
    // Not newConnection: a TLS listener queues its sockets only once the handshake is done.
    connect(m_listener, &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket *socket = m_listener->nextPendingConnection())
            serve(socket);
    });
    m_listener->listen(QHostAddress::LocalHost, 0);
}

QString ScriptedServer::url(const QString &path) const
{
    return QStringLiteral("%1://127.0.0.1:%2%3").arg(m_scheme).arg(m_listener->serverPort()).arg(path);
}

int ScriptedServer::openConnections() const
{
    const QList<QTcpSocket *> sockets = m_listener->findChildren<QTcpSocket *>();
    return int(std::count_if(sockets.begin(), sockets.end(), [](QTcpSocket *s) { return s->state() == QAbstractSocket::ConnectedState; }));
}

void ScriptedServer::closeConnections()
{
    for (QTcpSocket *socket : m_listener->findChildren<QTcpSocket *>())
        socket->disconnectFromHost();
}

void ScriptedServer::serve(QTcpSocket *socket)
{
    ++connections;
    auto pending = std::make_shared<QByteArray>();
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, pending] { onReadyRead(socket, *pending); });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    // A TLS client's request can arrive together with the end of the handshake, before readyRead is connected.
    if (socket->bytesAvailable() > 0)
        onReadyRead(socket, *pending);
}

void ScriptedServer::onReadyRead(QTcpSocket *socket, QByteArray &pending)
{
    pending += socket->readAll();
    const qsizetype end = pending.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    paths << QString::fromLatin1(pending.left(end).split(' ').value(1));
    pending.remove(0, end + 4);

    FixtureResponse notFound;
    notFound.status = 404;
    const FixtureResponse response = responses.value(paths.last(), notFound);
    if (!response.keepAlive)
        disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    if (response.hang)
        return;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Scripted\r\n" + response.headers;
    if (response.contentLength)
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    socket->write(head + (response.keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n"));
    writeBody(socket, response.body, response);
}

void ScriptedServer::writeBody(QTcpSocket *socket, const QByteArray &body, const FixtureResponse &response)
{
    if (response.pieceSize > 0 && body.size() > response.pieceSize) {
        socket->write(body.left(response.pieceSize));
        const QByteArray rest = body.mid(response.pieceSize);
        QTimer::singleShot(response.pieceDelayMs, socket, [=, this] { writeBody(socket, rest, response); });
        return;
    }
    socket->write(body);
    if (!response.keepAlive)
        socket->disconnectFromHost();  // flushes what is written, then closes
}

FixtureServer::FixtureServer()
    : ScriptedServer(new QTcpServer, QStringLiteral("http"))
{
}

quint16 FixtureServer::unusedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();  // closed again when probe goes
}
