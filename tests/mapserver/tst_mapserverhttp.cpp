// The demonstration server over real loopback connections: answers, keep-alive, faults.
#include "mapserver/demoserver.h"
#include "mapserver/maplayout.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpSocket>
#include <QtTest>

namespace {

struct Response {
    bool received = false;   // a status line arrived
    int status = 0;
    QMap<QByteArray, QByteArray> headers;  // names in lower case
    QByteArray body;
    bool closed = false;     // the server closed the connection
};

// A bare HTTP/1.1 client, so the test sees exactly what the server sends.
class RawClient {
public:
    bool connectTo(quint16 port)
    {
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        return m_socket.waitForConnected(5000);
    }
    void send(const QByteArray &bytes)
    {
        m_socket.write(bytes);
        m_socket.flush();
    }
    void get(const QString &path, const QByteArray &extraHeaders = {})
    {
        send("GET " + path.toLatin1() + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extraHeaders + "\r\n");
    }
    // One response; waits for the bytes it announces, or for the server to close.
    Response read(int timeoutMs = 10000)
    {
        Response r;
        QElapsedTimer clock;
        clock.start();
        qsizetype headEnd = -1;
        qint64 length = -1;
        while (true) {
            if (headEnd < 0) {
                headEnd = m_buffer.indexOf("\r\n\r\n");
                if (headEnd >= 0) {
                    parseHead(m_buffer.left(headEnd), r);
                    m_buffer.remove(0, headEnd + 4);
                    length = r.headers.contains("content-length") ? r.headers["content-length"].toLongLong() : -1;
                }
            }
            if (headEnd >= 0 && length >= 0 && m_buffer.size() >= length) {
                r.body = m_buffer.left(length);
                m_buffer.remove(0, length);
                return r;
            }
            if (!waitForMore(timeoutMs - int(clock.elapsed()))) {
                r.closed = m_socket.state() != QAbstractSocket::ConnectedState;
                if (headEnd >= 0) {
                    r.body = m_buffer;
                    m_buffer.clear();
                }
                return r;
            }
        }
    }
    bool connected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    // True when the server closes the connection within the time.
    bool waitClosed(int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (connected() && clock.elapsed() < timeoutMs)
            waitForMore(timeoutMs - int(clock.elapsed()));
        return !connected();
    }

private:
    bool waitForMore(int timeoutMs)
    {
        if (timeoutMs <= 0 || m_socket.state() != QAbstractSocket::ConnectedState)
            return false;
        if (!m_socket.waitForReadyRead(timeoutMs))
            return false;
        m_buffer += m_socket.readAll();
        return true;
    }
    static void parseHead(const QByteArray &head, Response &r)
    {
        const QList<QByteArray> lines = head.split('\n');
        const QList<QByteArray> status = lines.value(0).trimmed().split(' ');
        r.received = status.value(0).startsWith("HTTP/1.");
        r.status = status.value(1).toInt();
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                r.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
        }
    }

    QTcpSocket m_socket;
    QByteArray m_buffer;
};

const QString kProbe = QStringLiteral("/wz/pics/Rtavn065.gif");

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestMapServerHttp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void qtClientGetsAMap();
    void answers_data();
    void answers();
    void keepAliveServesSeveralRequests();
    void pipelinedRequestsAnsweredInOrder();
    void requestsRecordedInOrder();
    void faults_data();
    void faults();
    void hangNeverAnswersAndStopStillReturns();
    void stopWhilePrerendering();

private:
    DemoMapServer m_server;
};

void TestMapServerHttp::initTestCase()
{
    QVERIFY(m_server.start());
    QVERIFY(m_server.port() != 0);
    QCOMPARE(m_server.hostPort(), QStringLiteral("127.0.0.1:%1").arg(m_server.port()));
}

void TestMapServerHttp::init()
{
    m_server.clearFaults();
    m_server.clearRequests();
}

void TestMapServerHttp::qtClientGetsAMap()
{
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(QStringLiteral("http://%1%2").arg(m_server.hostPort(), kProbe)));
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    QNetworkReply *reply = manager.get(request);
    QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), 10000);
    QCOMPARE(reply->error(), QNetworkReply::NoError);
    QCOMPARE(reply->header(QNetworkRequest::ContentTypeHeader).toString(), QStringLiteral("image/gif"));
    const QByteArray body = reply->readAll();
    reply->deleteLater();
    QCOMPARE(body, m_server.mapBytes(kProbe));
    const QImage image = QImage::fromData(body);
    QCOMPARE(image.size(), QSize(MapLayout::forecastWidth, MapLayout::height));
}

void TestMapServerHttp::answers_data()
{
    QTest::addColumn<QByteArray>("requestLine");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("contentType");

    QTest::newRow("forecast, server 1") << QByteArray("GET /wz/pics/Rtavn1868.gif HTTP/1.1") << 200 << QByteArray("image/gif");
    QTest::newRow("forecast, server 3") << QByteArray("GET /pics/Rtavn0611.gif HTTP/1.1") << 200 << QByteArray("image/gif");
    QTest::newRow("archive") << QByteArray("GET /archive/ra/2004/Rrea00220040107.gif HTTP/1.1") << 200 << QByteArray("image/gif");
    QTest::newRow("impossible date") << QByteArray("GET /archive/ra/1990/Rrea00119900231.gif HTTP/1.1") << 404 << QByteArray("text/html");
    QTest::newRow("unknown path") << QByteArray("GET /index.html HTTP/1.1") << 404 << QByteArray("text/html");
    QTest::newRow("unknown map number") << QByteArray("GET /wz/pics/Rtavn066.gif HTTP/1.1") << 404 << QByteArray("text/html");
    QTest::newRow("other method") << QByteArray("POST /wz/pics/Rtavn065.gif HTTP/1.1") << 405 << QByteArray("text/html");
    QTest::newRow("not HTTP") << QByteArray("HELLO") << 400 << QByteArray("text/html");
}

void TestMapServerHttp::answers()
{
    QFETCH(QByteArray, requestLine);
    QFETCH(int, status);
    QFETCH(QByteArray, contentType);
    RawClient client;
    QVERIFY(client.connectTo(m_server.port()));
    client.send(requestLine + "\r\nHost: 127.0.0.1\r\n\r\n");
    const Response r = client.read();
    QVERIFY(r.received);
    QCOMPARE(r.status, status);
    QVERIFY(r.headers.value("content-type").startsWith(contentType));
    QCOMPARE(r.headers.value("content-length").toLongLong(), qint64(r.body.size()));
    if (status == 200) {
        const QString path = QString::fromLatin1(requestLine.split(' ')[1]);
        QCOMPARE(r.body, m_server.mapBytes(path));
        QVERIFY(!QImage::fromData(r.body).isNull());
    } else {
        QVERIFY(r.body.contains("<html>"));
    }
}

void TestMapServerHttp::keepAliveServesSeveralRequests()
{
    RawClient client;
    QVERIFY(client.connectTo(m_server.port()));
    for (const char *path : {"/wz/pics/Rtavn065.gif", "/nothing", "/pics/Rtavn124.gif"}) {
        client.get(QString::fromLatin1(path));
        const Response r = client.read();
        QVERIFY(r.received);
        QCOMPARE(r.body.size(), r.headers.value("content-length").toInt());
        QVERIFY(client.connected());
    }
    client.get(kProbe, "Connection: close\r\n");
    const Response last = client.read();
    QCOMPARE(last.status, 200);
    QCOMPARE(last.body, m_server.mapBytes(kProbe));
    QVERIFY(client.waitClosed(5000));
}

void TestMapServerHttp::pipelinedRequestsAnsweredInOrder()
{
    RawClient client;
    QVERIFY(client.connectTo(m_server.port()));
    client.send("GET /wz/pics/Rtavn063.gif HTTP/1.1\r\n\r\nGET /missing HTTP/1.1\r\n\r\nGET /wz/pics/Rtavn068.gif HTTP/1.1\r\n\r\n");
    const Response a = client.read();
    const Response b = client.read();
    const Response c = client.read();
    QCOMPARE(a.body, m_server.mapBytes(QStringLiteral("/wz/pics/Rtavn063.gif")));
    QCOMPARE(b.status, 404);
    QCOMPARE(c.body, m_server.mapBytes(QStringLiteral("/wz/pics/Rtavn068.gif")));
}

void TestMapServerHttp::requestsRecordedInOrder()
{
    const QStringList paths{QStringLiteral("/wz/pics/Rtavn065.gif"), QStringLiteral("/bad"),
                            QStringLiteral("/archive/ra/1990/Rrea00119900315.gif"), QStringLiteral("/pics/Rtavn065.gif?x")};
    for (const QString &path : paths) {
        RawClient client;
        QVERIFY(client.connectTo(m_server.port()));
        client.get(path);
        QVERIFY(client.read().received);
    }
    QCOMPARE(m_server.requests(), paths);
    m_server.clearRequests();
    QVERIFY(m_server.requests().isEmpty());
}

void TestMapServerHttp::faults_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<int>("status");
    QTest::addColumn<qint64>("bodyBytes");     // -1: the whole map
    QTest::addColumn<bool>("contentLength");
    QTest::addColumn<bool>("closes");

    Fault f;
    QTest::newRow("none") << f << true << 200 << qint64(-1) << true << false;
    f = {};
    f.refuse = true;
    QTest::newRow("refuse") << f << false << 0 << qint64(0) << false << true;
    f = {};
    f.delayMs = 300;
    QTest::newRow("delay") << f << true << 200 << qint64(-1) << true << false;
    f = {};
    f.status = 404;
    QTest::newRow("404") << f << true << 404 << qint64(-2) << true << false;
    f = {};
    f.status = 500;
    QTest::newRow("500") << f << true << 500 << qint64(-2) << true << false;
    f = {};
    f.noContentLength = true;
    QTest::newRow("no Content-Length") << f << true << 200 << qint64(-1) << false << true;
    f = {};
    f.cutAfter = 1000;
    QTest::newRow("cut after 1000 bytes") << f << true << 200 << qint64(1000) << true << true;
    f = {};
    f.cutAfter = 0;
    QTest::newRow("cut before the body") << f << true << 200 << qint64(0) << true << true;
    f = {};
    f.delayMs = 200;
    f.status = 500;
    QTest::newRow("delay then 500") << f << true << 500 << qint64(-2) << true << false;
}

void TestMapServerHttp::faults()
{
    QFETCH(Fault, fault);
    QFETCH(bool, answered);
    QFETCH(int, status);
    QFETCH(qint64, bodyBytes);
    QFETCH(bool, contentLength);
    QFETCH(bool, closes);

    m_server.setFault(QStringLiteral("*065.gif"), fault);
    const QByteArray map = m_server.mapBytes(kProbe);
    RawClient client;
    QVERIFY(client.connectTo(m_server.port()));
    QElapsedTimer clock;
    clock.start();
    client.get(kProbe);
    const Response r = client.read();
    QCOMPARE(r.received, answered);
    QCOMPARE(m_server.requests(), QStringList{kProbe});
    if (fault.delayMs > 0)
        QVERIFY(clock.elapsed() >= fault.delayMs * 9 / 10);
    if (answered) {
        QCOMPARE(r.status, status);
        QCOMPARE(r.headers.contains("content-length"), contentLength);
        if (bodyBytes == -1)
            QCOMPARE(r.body, map);
        else if (bodyBytes == -2)
            QVERIFY(r.body.contains("<html>"));
        else
            QCOMPARE(r.body, map.left(bodyBytes));
        if (contentLength && status == 200)
            QCOMPARE(r.headers.value("content-length").toLongLong(), qint64(map.size()));
    }
    QCOMPARE(client.waitClosed(closes ? 5000 : 0), closes);

    // Other paths are untouched.
    RawClient other;
    QVERIFY(other.connectTo(m_server.port()));
    other.get(QStringLiteral("/wz/pics/Rtavn064.gif"));
    QCOMPARE(other.read().status, 200);
}

void TestMapServerHttp::hangNeverAnswersAndStopStillReturns()
{
    DemoMapServer server;
    QVERIFY(server.start());
    Fault hang;
    hang.hang = true;
    server.setFault(QStringLiteral("Rtavn065.gif"), hang);
    RawClient client;
    QVERIFY(client.connectTo(server.port()));
    client.get(kProbe);
    const Response r = client.read(400);
    QVERIFY(!r.received);
    QVERIFY(client.connected());
    QTRY_COMPARE(server.requests(), QStringList{kProbe});
    server.stop();
    QVERIFY(client.waitClosed(5000));
    // A stopped server can start again.
    QVERIFY(server.start());
    server.clearFaults();
    RawClient again;
    QVERIFY(again.connectTo(server.port()));
    again.get(kProbe);
    QCOMPARE(again.read().status, 200);
}

void TestMapServerHttp::stopWhilePrerendering()
{
    auto server = std::make_unique<DemoMapServer>();
    QVERIFY(server->start());
    server->prerender(40);
    QVERIFY(server->prerendering());
    server.reset();  // cancels the rendering and joins both threads
}

QTEST_GUILESS_MAIN(TestMapServerHttp)
#include "tst_mapserverhttp.moc"
