#include "tests/support/fixtureserver.h"

#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <memory>

FixtureServer::FixtureServer()
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            ++connections;
            auto pending = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, pending] { onReadyRead(socket, *pending); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    m_server.listen(QHostAddress::LocalHost, 0);
}

QString FixtureServer::url(const QString &path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path); }

int FixtureServer::openConnections() const
{
    const QList<QTcpSocket *> sockets = m_server.findChildren<QTcpSocket *>();
    return int(std::count_if(sockets.begin(), sockets.end(), [](QTcpSocket *s) { return s->state() == QAbstractSocket::ConnectedState; }));
}

void FixtureServer::closeConnections()
{
    for (QTcpSocket *socket : m_server.findChildren<QTcpSocket *>())
        socket->disconnectFromHost();
}

quint16 FixtureServer::unusedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();  // closed again when probe goes
}

void FixtureServer::onReadyRead(QTcpSocket *socket, QByteArray &pending)
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

void FixtureServer::writeBody(QTcpSocket *socket, const QByteArray &body, const FixtureResponse &response)
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
