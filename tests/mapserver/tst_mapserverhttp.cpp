// The demonstration server over real loopback connections: answers, keep-alive and faults.
#include "mapserver/demoserver.h"
#include "support/rawhttp.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QtTest>

namespace {

const QString kProbe = QStringLiteral("/wz/pics/Rtavn065.gif");

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestMapServerHttp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(m_server.start()); }

    void init()
    {
        m_server.clearFaults();
        m_server.clearRequests();
    }

    void pipelinedAnswersAndRecordsInOrder()
    {
        // One kept-alive connection, until a request the server cannot read.
        const QStringList lines{"GET /pics/Rtavn0611.gif", "GET /index.html", "GET /archive/ra/2004/Rrea00220040107.gif",
                                "GET /archive/ra/1990/Rrea00119900231.gif", "POST /wz/pics/Rtavn065.gif", "GET /wz/pics/Rtavn066.gif"};
        QByteArray bytes;
        QStringList paths;
        for (const QString &line : lines) {
            bytes += line.toLatin1() + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
            paths.append(line.section(QLatin1Char(' '), 1));
        }
        bool closed = false;
        const QByteArray stream = rawExchange(m_server.port(), bytes + "HELLO\r\n\r\n", &closed);
        QVERIFY(closed);
        QList<int> statuses;
        for (const RawResponse &r : takeResponses(stream))
            statuses.append(r.status);
        QCOMPARE(statuses, (QList<int>{200, 404, 200, 404, 405, 404, 400}));
        QCOMPARE(m_server.requests(), paths);
    }

    void faults_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<int>("status");        // 0: no answer at all
        QTest::addColumn<qint64>("bodyBytes");  // -1: the whole map, -2: an error page
        QTest::addColumn<bool>("contentLength");

        QTest::newRow("none") << Fault{} << 200 << qint64(-1) << true;
        QTest::newRow("refuse") << Fault{.refuse = true} << 0 << qint64(0) << false;
        QTest::newRow("404") << Fault{.status = 404} << 404 << qint64(-2) << true;
        QTest::newRow("delay then 500") << Fault{.delayMs = 200, .status = 500} << 500 << qint64(-2) << true;
        QTest::newRow("no Content-Length") << Fault{.noContentLength = true} << 200 << qint64(-1) << false;
        QTest::newRow("cut after 1000 bytes") << Fault{.cutAfter = 1000} << 200 << qint64(1000) << true;
        QTest::newRow("trickle") << Fault{.trickleBytesPerSecond = 40000} << 200 << qint64(-1) << true;
    }

    void faults()
    {
        QFETCH(Fault, fault);
        QFETCH(qint64, bodyBytes);
        m_server.setFault(QStringLiteral("*065.gif"), fault);
        const QByteArray map = m_server.mapBytes(kProbe);
        QElapsedTimer clock;
        clock.start();
        bool closed = false;
        QByteArray stream = rawExchange(m_server.port(), "GET " + kProbe.toLatin1() + " HTTP/1.1\r\nConnection: close\r\n\r\n", &closed);
        // Never sooner than the fault holds the answer back: the delay, then the body's pieces.
        const qint64 trickleMs = fault.trickleBytesPerSecond ? (map.size() / qMax(1, fault.trickleBytesPerSecond / 10) - 1) * 100 : 0;
        QVERIFY(clock.elapsed() >= (fault.delayMs + trickleMs) * 9 / 10);
        QVERIFY(closed);
        const RawResponse r = takeResponse(stream);
        QTEST(r.status, "status");
        QTEST(r.headers.contains("content-length"), "contentLength");
        if (r.headers.contains("content-length") && r.status == 200)
            QCOMPARE(r.headers.value("content-length").toLongLong(), qint64(map.size()));
        if (bodyBytes == -2)
            QVERIFY(r.body.contains("<html>"));
        else
            QCOMPARE(r.body, bodyBytes == -1 ? map : map.left(bodyBytes));
        if (bodyBytes == -1)  // the picture itself: tst_mapservermaps
            QCOMPARE(r.headers.value("content-type"), QByteArray("image/gif"));
        QCOMPARE(m_server.requests(), QStringList{kProbe});
    }

    void stopDuringHangAndPrerender()
    {
        auto server = std::make_unique<DemoMapServer>();
        QVERIFY(server->start());
        server->setFault(QStringLiteral("Rtavn065.gif"), Fault{.hang = true});
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, server->port());
        QVERIFY(socket.waitForConnected(5000));
        socket.write("GET " + kProbe.toLatin1() + " HTTP/1.1\r\n\r\n");
        QVERIFY(!socket.waitForReadyRead(400) && socket.state() == QAbstractSocket::ConnectedState);
        server->prerender(40);
        QVERIFY(server->prerendering());
        server.reset();  // closes the hung connection, cancels the rendering, joins both threads
        QVERIFY(socket.state() != QAbstractSocket::ConnectedState || socket.waitForDisconnected(5000));
    }

private:
    DemoMapServer m_server;
};

QTEST_GUILESS_MAIN(TestMapServerHttp)
#include "tst_mapserverhttp.moc"
