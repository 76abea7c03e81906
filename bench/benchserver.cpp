#include "bench/benchserver.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

namespace {

constexpr qint64 PieceBytes = 64 * 1024;
// Pieces are only queued while less than this waits in the socket's write buffer.
constexpr qint64 MaxQueuedBytes = 256 * 1024;

// Generated pieces are windows into this pattern, so they never need building.
const QByteArray &pattern()
{
    static const QByteArray bytes = [] {
        QByteArray b(PieceBytes + 251, Qt::Uninitialized);
        for (qsizetype i = 0; i < b.size(); ++i)
            b[i] = BenchServer::byteAt(i);
        return b;
    }();
    return bytes;
}

// One connection: answers its requests one after the other, each body as the socket drains.
class Connection : public QObject {
public:
    Connection(QTcpSocket *socket, const QHash<QString, QByteArray> &files, const std::atomic<int> &delayMs)
        : QObject(socket), m_socket(socket), m_files(files), m_delayMs(delayMs)
    {
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, &Connection::nextRequest);
        connect(socket, &QTcpSocket::bytesWritten, this, &Connection::fill);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

private:
    void nextRequest()
    {
        m_pending += m_socket->readAll();
        if (m_total >= 0)
            return;  // still sending; picked up again when that body is out
        const qsizetype end = m_pending.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QByteArray head = m_pending.left(end);
        m_pending.remove(0, end + 4);
        m_close = head.toLower().contains("\r\nconnection: close");
        const QByteArray path = head.left(head.indexOf("\r\n")).split(' ').value(1);

        QByteArray status = "200 OK";
        m_file = m_files.value(QString::fromLatin1(path));
        bool generated = false;
        const qint64 size = path.mid(1).toLongLong(&generated);
        if (!m_file.isNull()) {
            m_total = m_file.size();
        } else if (generated && size >= 0) {
            m_total = size;
        } else {
            status = "404 Not Found";
            m_file = "not found";
            m_total = m_file.size();
        }
        m_sent = 0;
        m_head = "HTTP/1.1 " + status + "\r\nContent-Type: application/octet-stream\r\nContent-Length: "
                 + QByteArray::number(m_total) + (m_close ? "\r\nConnection: close" : "") + "\r\n\r\n";
        const int delay = m_delayMs.load();
        if (delay <= 0) {
            answer();
            return;
        }
        // Precise: a coarse timer may be several percent late, which the round trip would not be.
        QTimer::singleShot(delay, Qt::PreciseTimer, this, &Connection::answer);
    }

    void answer()
    {
        m_socket->write(std::exchange(m_head, QByteArray()));
        fill();
    }

    void fill()
    {
        if (m_total < 0 || !m_head.isNull())
            return;  // between requests, or the answer is held back
        while (m_sent < m_total && m_socket->bytesToWrite() < MaxQueuedBytes) {
            const qint64 size = qMin(PieceBytes, m_total - m_sent);
            const char *from = m_file.isNull() ? pattern().constData() + m_sent % 251 : m_file.constData() + m_sent;
            m_socket->write(from, size);
            m_sent += size;
        }
        if (m_sent < m_total)
            return;
        m_total = -1;
        m_file = QByteArray();
        if (m_close)
            m_socket->disconnectFromHost();  // once the queued bytes are out
        else if (!m_pending.isEmpty())
            nextRequest();
    }

    QTcpSocket *m_socket;
    const QHash<QString, QByteArray> &m_files;
    const std::atomic<int> &m_delayMs;
    QByteArray m_pending;  // received bytes not yet taken as a request
    QByteArray m_head;     // headers of an answer held back; null once sent
    QByteArray m_file;     // body being sent; null for a generated one
    qint64 m_total = -1;   // body size; -1 between requests
    qint64 m_sent = 0;
    bool m_close = false;
};

} // namespace

BenchServer::BenchServer() = default;

BenchServer::~BenchServer()
{
    quit();
    wait();
}

void BenchServer::setFiles(const QHash<QString, QByteArray> &files) { m_files = files; }

bool BenchServer::startServing()
{
    m_port = 0;
    start();
    while (m_port == 0)
        QThread::msleep(1);
    return m_port > 0;
}

QString BenchServer::hostPort() const { return QStringLiteral("127.0.0.1:%1").arg(m_port.load()); }

void BenchServer::run()
{
    pattern();
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0)) {
        m_port = -1;
        return;
    }
    connect(&server, &QTcpServer::newConnection, &server, [this, &server] {
        while (QTcpSocket *socket = server.nextPendingConnection())
            new Connection(socket, m_files, m_delayMs);
    });
    m_port = server.serverPort();
    exec();
}
