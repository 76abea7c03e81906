#include "tests/support/recordingproxy.h"

#include <QTcpSocket>
#include <QUrl>

namespace {

// One client connection: one request, or one tunnel. After the request head both kinds are
// the same two-way pipe; only what goes first differs. Upstream gets "Connection: close",
// so the upstream's close ends the answer and the client connection with it.
class ProxyExchange : public QObject {
public:
    ProxyExchange(QTcpSocket *client, QStringList &requests, QObject *parent)
        : QObject(parent)
        , m_client(client)
        , m_requests(requests)
    {
        m_client->setParent(this);
        connect(m_client, &QTcpSocket::readyRead, this, &ProxyExchange::fromClient);
        connect(m_client, &QTcpSocket::disconnected, this, [this] {
            m_upstream->disconnectFromHost();
            deleteLater();
        });
        connect(m_upstream, &QTcpSocket::connected, this, [this] {
            m_upstreamUp = true;
            if (m_tunnel)
                m_client->write("HTTP/1.1 200 Connection established\r\n\r\n");
            m_upstream->write(m_toUpstream);
            m_toUpstream.clear();
        });
        connect(m_upstream, &QTcpSocket::readyRead, this, [this] { m_client->write(m_upstream->readAll()); });
        connect(m_upstream, &QTcpSocket::disconnected, this, [this] {
            m_client->write(m_upstream->readAll());
            m_client->disconnectFromHost();  // after the relayed bytes are written
        });
        connect(m_upstream, &QTcpSocket::errorOccurred, this, [this] {
            if (!m_upstreamUp)  // a close after connecting is handled by disconnected
                answerAndClose("502 Bad Gateway");
        });
    }

private:
    void fromClient()
    {
        if (m_headDone) {
            if (m_upstreamUp)
                m_upstream->write(m_client->readAll());
            else
                m_toUpstream += m_client->readAll();
            return;
        }
        m_head += m_client->readAll();
        const qsizetype end = m_head.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        m_headDone = true;
        QList<QByteArray> lines = m_head.left(end).split('\n');
        const QByteArray rest = m_head.mid(end + 4);
        const QList<QByteArray> requestLine = lines.takeFirst().trimmed().split(' ');
        const QByteArray method = requestLine.value(0), target = requestLine.value(1);
        QString host;
        int port = 80;
        if (method == "CONNECT") {
            m_tunnel = true;
            m_requests << QStringLiteral("CONNECT ") + QString::fromLatin1(target);
            const qsizetype colon = target.lastIndexOf(':');
            host = QString::fromLatin1(target.left(colon));
            port = target.mid(colon + 1).toInt();
            m_toUpstream = rest;
        } else {
            m_requests << QString::fromLatin1(target);
            const QUrl url(QString::fromLatin1(target));
            host = url.host();
            port = url.port(80);
            const qsizetype authority = target.indexOf("://");
            const qsizetype pathStart = authority < 0 ? -1 : target.indexOf('/', authority + 3);
            const QByteArray origin = pathStart < 0 ? QByteArray("/") : target.mid(pathStart);
            m_toUpstream = method + ' ' + origin + ' ' + requestLine.value(2) + "\r\n";
            for (const QByteArray &line : std::as_const(lines)) {
                const QByteArray name = line.left(line.indexOf(':')).trimmed().toLower();
                if (name != "connection" && !name.startsWith("proxy-"))
                    m_toUpstream += line.trimmed() + "\r\n";
            }
            m_toUpstream += "Connection: close\r\n\r\n" + rest;
        }
        if (host.isEmpty() || port <= 0 || (!m_tunnel && !target.startsWith("http://"))) {
            answerAndClose("400 Bad Request");
            return;
        }
        m_upstream->connectToHost(host, quint16(port));
    }

    void answerAndClose(const QByteArray &status)
    {
        m_client->write("HTTP/1.1 " + status + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        m_client->disconnectFromHost();
    }

    QTcpSocket *m_client;
    QTcpSocket *m_upstream = new QTcpSocket(this);
    QStringList &m_requests;
    QByteArray m_head;
    QByteArray m_toUpstream;  // held until the upstream connection is up
    bool m_headDone = false;
    bool m_tunnel = false;
    bool m_upstreamUp = false;
};

} // namespace

RecordingProxy::RecordingProxy()
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection())
            new ProxyExchange(socket, requests, this);
    });
    m_server.listen(QHostAddress::LocalHost, 0);
}

QString RecordingProxy::proxyUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }
