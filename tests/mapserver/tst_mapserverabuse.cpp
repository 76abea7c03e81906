// Clients that try to exhaust or confuse the demonstration server: each is answered with
// a 4xx (or cut), changes nothing, and the next well-formed client is still served.
#include "mapserver/demoserver.h"
#include "mapserver/serverstate.h"
#include "support/rawhttp.h"

#include <QTcpSocket>
#include <QtTest>

namespace {

const QByteArray kProbe = "/wz/pics/Rtavn065.gif";
const QByteArray kGood = "GET " + kProbe + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";

QByteArray request(const QByteArray &requestLine, const QByteArray &headers = "Host: 127.0.0.1\r\n")
{
    return requestLine + "\r\n" + headers + "\r\n";
}

// Literal bytes, NULs included.
template <size_t N>
QByteArray raw(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

ServerLimits testLimits()
{
    ServerLimits limits;
    limits.idleTimeoutMs = 400;  // short, so that silent clients are closed within the test
    limits.maxConnections = 4;
    return limits;
}

} // namespace

class TestMapServerAbuse : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        m_server.setLimits(testLimits());
        QVERIFY(m_server.start());
        m_server.mapBytes(QString::fromLatin1(kProbe));  // rendered once, outside the timings of the rows
    }

    void init()
    {
        m_server.clearFaults();
        QTRY_COMPARE_WITH_TIMEOUT(m_server.openConnections(), 0, 10000);
        m_server.clearRequests();
    }

    void hostileRequest_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");  // of the last answer; 0: closed without one
        QTest::addColumn<bool>("mapsBefore");  // maps answered before it (pipelined requests)
        // One row for each kind of hostile request: sizes, silence, floods, paths that climb or hide,
        // NUL bytes, and request lines or headers no client sends.

        const QByteArray big(1024 * 1024, 'a');
        QTest::newRow("header with no end, endless") << "GET " + kProbe + " HTTP/1.1\r\nX-Big: " + big << 431 << false;
        QTest::newRow("header with no end, then silence") << "GET " + kProbe + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" << 408 << false;
        QTest::newRow("nothing sent") << QByteArray() << 0 << false;
        QTest::newRow("10,000 pipelined requests") << kGood.repeated(10000) << 429 << true;
        QTest::newRow("percent-encoded dot segments") << request("GET /wz/pics/%2e%2e/%2E%2E/etc/passwd HTTP/1.1") << 400 << false;
        QTest::newRow("NUL in the path") << request(raw("GET /wz/pics/Rtavn065.gif\0.png HTTP/1.1")) << 400 << false;
        QTest::newRow("absurd method, control bytes") << request("G\x01T " + kProbe + " HTTP/1.1") << 400 << false;
        QTest::newRow("absurd version") << request("GET " + kProbe + " HTTP/9.9") << 400 << false;
        QTest::newRow("absurd version, long") << request("GET " + kProbe + " HTTP/1.1" + QByteArray(3000, '1')) << 400 << false;
        QTest::newRow("no version") << request("GET " + kProbe) << 400 << false;
        QTest::newRow("absolute target") << request("GET http://127.0.0.1/etc/passwd HTTP/1.1") << 400 << false;
        QTest::newRow("header without a name") << request("GET " + kProbe + " HTTP/1.1", ": x\r\n") << 400 << false;
    }

    void hostileRequest()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        QFETCH(bool, mapsBefore);
        bool closed = false;
        const QList<RawResponse> answers = takeResponses(rawExchange(m_server.port(), bytes, &closed));
        QVERIFY(closed);
        QCOMPARE(answers.isEmpty() ? 0 : answers.last().status, status);
        const qsizetype maps = answers.size() - (status ? 1 : 0);
        if (mapsBefore) {
            QVERIFY2(maps > 0 && maps < 10000, qPrintable(QString::number(maps)));
            for (qsizetype i = 0; i < maps; ++i)
                QCOMPARE(answers[i].status, 200);
        } else {
            QCOMPARE(maps, 0);
        }
        // Only requests answered were recorded.
        QCOMPARE(m_server.requests(), QStringList(int(maps), QString::fromLatin1(kProbe)));
        nextClientIsServed();
    }

    void floodBehindPendingAnswerIsCut()
    {
        m_server.setFault(QStringLiteral("*065.gif"), Fault{.hang = true});
        QTcpSocket flood;
        flood.connectToHost(QHostAddress::LocalHost, m_server.port());
        QVERIFY(flood.waitForConnected(5000));
        flood.write(kGood);
        const QByteArray chunk(64 * 1024, 'x');
        constexpr qint64 FloodBytes = 64ll * 1024 * 1024;
        qint64 sent = 0;
        while (sent < FloodBytes && flood.state() == QAbstractSocket::ConnectedState) {
            sent += flood.write(chunk);
            flood.waitForBytesWritten(1000);
        }
        QTRY_VERIFY_WITH_TIMEOUT(flood.state() != QAbstractSocket::ConnectedState || !flood.waitForReadyRead(100), 10000);
        QVERIFY2(sent < FloodBytes, "the flood was never cut");
        m_server.clearFaults();
        nextClientIsServed();
    }

    void connectionsOverTheCapAreTurnedAway()
    {
        const int cap = testLimits().maxConnections;
        std::vector<std::unique_ptr<QTcpSocket>> held;
        for (int i = 0; i < cap; ++i) {
            held.push_back(std::make_unique<QTcpSocket>());
            held.back()->connectToHost(QHostAddress::LocalHost, m_server.port());
            QVERIFY(held.back()->waitForConnected(5000));
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_server.openConnections(), cap, 5000);
        bool closed = false;
        QByteArray stream = rawExchange(m_server.port(), kGood, &closed);
        QVERIFY(closed);
        QCOMPARE(takeResponse(stream).status, 503);
        held.clear();
        QTRY_COMPARE_WITH_TIMEOUT(m_server.openConnections(), 0, 10000);
        nextClientIsServed();
    }

    void requestLogKeepsTheNewest()
    {
        const int total = RequestLog::Capacity + 10;
        QByteArray bytes;
        for (int i = 0; i < total; ++i)
            bytes += request("GET /n/" + QByteArray::number(i) + " HTTP/1.1");
        bool closed = false;
        const QList<RawResponse> answers = takeResponses(rawExchange(m_server.port(), bytes + request("GET /end HTTP/1.1", "Connection: close\r\n"), &closed));
        QCOMPARE(answers.size(), total + 1);
        const QStringList log = m_server.requests();
        QCOMPARE(log.size(), RequestLog::Capacity);
        QCOMPARE(log.first(), QStringLiteral("/n/%1").arg(total + 1 - RequestLog::Capacity));
        QCOMPARE(log.last(), QStringLiteral("/end"));
    }

private:
    void nextClientIsServed()
    {
        bool closed = false;
        QByteArray stream = rawExchange(m_server.port(), request("GET " + kProbe + " HTTP/1.1", "Connection: close\r\n"), &closed);
        const RawResponse r = takeResponse(stream);
        QCOMPARE(r.status, 200);
        QCOMPARE(r.body, m_server.mapBytes(QString::fromLatin1(kProbe)));
    }

    DemoMapServer m_server;
};

QTEST_GUILESS_MAIN(TestMapServerAbuse)
#include "tst_mapserverabuse.moc"
