#include "retrieval/httpclient.h"
#include "tests/support/fixtureserver.h"

#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(FixtureResponse)

namespace {

QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + i / 251) & 0xff);
    return bytes;
}

struct Drained {
    QByteArray body;
    int largest = 0;
    qint64 mostBuffered = 0;  // body held by the client ahead of the reader
};

// Reads the body the way the downloader does: chunks of 8192 until an empty one.
Drained drain(HttpClient &client)
{
    Drained result;
    while (true) {
        result.mostBuffered = qMax(result.mostBuffered, client.bufferedBytes());
        const QByteArray chunk = client.GetChunk(8192);
        if (chunk.isEmpty())
            return result;
        result.largest = qMax(result.largest, int(chunk.size()));
        result.body += chunk;
    }
}

// raw is sent as it stands under "Transfer-Encoding: chunked", in pieces when pieceSize > 0.
FixtureResponse chunkedRaw(const QByteArray &raw, int pieceSize = 0)
{
    return {.headers = "Transfer-Encoding: chunked\r\n", .body = raw, .contentLength = false,
            .pieceSize = pieceSize, .pieceDelayMs = 1};
}

QByteArray chunked(const QByteArray &body, int chunkSize)
{
    QByteArray encoded;
    for (qsizetype at = 0; at < body.size(); at += chunkSize) {
        const QByteArray piece = body.mid(at, chunkSize);
        encoded += QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
    }
    return encoded + "0\r\n\r\n";
}

} // namespace

class TestHttpClient : public QObject {
    Q_OBJECT
    std::unique_ptr<FixtureServer> m_server;
    std::unique_ptr<HttpClient> m_client;

private Q_SLOTS:
    void init()
    {
        m_server = std::make_unique<FixtureServer>();
        m_client = std::make_unique<HttpClient>();
    }

    void transfer_data()
    {
        QTest::addColumn<FixtureResponse>("response");  // served at "/m.gif"
        QTest::addColumn<QString>("url");               // a path on the server, or a whole address
        QTest::addColumn<QByteArray>("expected");       // a failed body may stop anywhere before its end
        QTest::addColumn<int>("error");
        const QByteArray exact = pattern(8192 * 3), big = pattern(300 * 1024 + 17);
        const int ok = HttpClient::NoError, broken = HttpClient::ErrTransfer, notAMap = HttpClient::ErrNotAMap;
        const int timeout = HttpClient::ErrTimeout, tooLarge = HttpClient::ErrTooLarge;
        const QString m = "/m.gif";

        QTest::newRow("exactly 3 x 8192") << FixtureResponse{.body = exact} << m << exact << ok;
        QTest::newRow("no Content-Length") << FixtureResponse{.body = big, .contentLength = false} << m << big << ok;
        QTest::newRow("steady, longer than the time-out") << FixtureResponse{.body = pattern(30000), .pieceSize = 1000, .pieceDelayMs = 40} << m << pattern(30000) << ok;

        QTest::newRow("chunked, split anywhere") << chunkedRaw(chunked(big, 7000), 3001) << m << big << ok;
        QTest::newRow("chunked, no last chunk") << chunkedRaw(chunked(exact, 1000).chopped(5)) << m << exact << broken;

        QTest::newRow("404") << FixtureResponse{.status = 404, .body = "<h1>Not Found</h1>"} << m << QByteArray() << notAMap;
        QTest::newRow("no answer") << FixtureResponse{.hang = true} << m << QByteArray() << timeout;
        QTest::newRow("body stalls") << FixtureResponse{.body = exact, .pieceSize = 5000, .pieceDelayMs = 5000} << m << exact << timeout;
        const QByteArray huge(16 << 20, 'm'), tooHuge(21 << 20, 'm');  // far over socket buffers, sent at once
        QTest::newRow("16 MiB") << FixtureResponse{.body = huge} << m << huge << ok;
        QTest::newRow("counted too large") << FixtureResponse{.body = tooHuge, .contentLength = false} << m << tooHuge << tooLarge;
        QTest::newRow("refused") << FixtureResponse{} << QString("http://127.0.0.1:%1/m.gif").arg(FixtureServer::unusedPort())
                                 << QByteArray() << int(HttpClient::ErrConnect);
    }

    void transfer()
    {
        QFETCH(FixtureResponse, response);
        QFETCH(QString, url);
        QFETCH(QByteArray, expected);
        QFETCH(int, error);
        m_server->responses["/m.gif"] = response;
        m_client->setRequestTimeoutMs(300);
        m_client->setMaxBodySize(20 << 20);

        if (m_client->Execute(url.startsWith('/') ? m_server->url(url) : url))
            m_client->waitForResponse();
        const Drained got = drain(*m_client);
        QTEST(m_client->errorNumber(), "error");
        if (error == HttpClient::NoError)
            QCOMPARE(got.body, expected);
        else
            QVERIFY(expected.startsWith(got.body));
        if (error == HttpClient::NoError || error == HttpClient::ErrNotAMap)
            QCOMPARE(m_client->statusCode(), error ? response.status : 200);
        QVERIFY(got.largest <= 8192);
        QVERIFY(got.mostBuffered <= 4 * HttpClient::ReadBufferSize);
        // Reading past the end stays empty and keeps the outcome.
        QVERIFY(m_client->GetChunk(8192).isEmpty());
        QTEST(m_client->errorNumber(), "error");
        QVERIFY(!m_client->busy());
    }

    void cancelDuringTransfer()
    {
        const QByteArray body = pattern(400000);
        m_server->responses["/m.gif"] = {.body = body, .pieceSize = 4000, .pieceDelayMs = 30};
        QVERIFY(m_client->Execute(m_server->url("/m.gif")));
        m_client->waitForResponse();
        QByteArray got = m_client->GetChunk(8192);
        QVERIFY(!got.isEmpty());
        // The cancel comes while the reader waits for more.
        QTimer::singleShot(50, m_client.get(), [this] { m_client->Cancel(); });
        m_client->waitForResponse();
        got += drain(*m_client).body;
        QVERIFY(got.size() < body.size());
        QCOMPARE(got, body.left(got.size()));
        QCOMPARE(m_client->errorNumber(), int(HttpClient::ErrCancelled));  // not the 8 s time-out
    }

    void connectionReuse_data()
    {
        QTest::addColumn<FixtureResponse>("first");
        QTest::addColumn<int>("after");  // 0: read whole; 1: cancel after a chunk; 2: the server closes the idle connection
        QTest::addColumn<int>("connections");
        const QByteArray body = pattern(70000), large = pattern(400000);
        QTest::newRow("kept") << FixtureResponse{.body = body, .keepAlive = true} << 0 << 1;
        QTest::newRow("cancelled midway") << FixtureResponse{.body = large, .pieceSize = 8192, .pieceDelayMs = 20, .keepAlive = true} << 1 << 2;
        QTest::newRow("idle connection closed by the server") << FixtureResponse{.body = body, .keepAlive = true} << 2 << 2;
    }

    void connectionReuse()
    {
        QFETCH(FixtureResponse, first);
        QFETCH(int, after);
        QFETCH(int, connections);
        m_server->responses["/first.gif"] = first;
        m_server->responses["/second.gif"] = FixtureResponse{.body = pattern(300), .keepAlive = true};

        QVERIFY(m_client->Execute(m_server->url("/first.gif")));
        m_client->waitForResponse();
        if (after == 1) {
            QVERIFY(!m_client->GetChunk(8192).isEmpty());
            m_client->Cancel();
        } else {
            drain(*m_client);
        }
        if (after == 2)
            m_server->closeConnections();  // the client has not noticed when it sends the next request
        else  // a body not wanted is not downloaded: the client hangs up at once
            QTRY_COMPARE(m_server->openConnections(), connections == 1 ? 1 : 0);

        QCOMPARE(m_client->OpenURL(m_server->url("/second.gif")), pattern(300));
        QTEST(m_server->connections, "connections");
    }
};

QTEST_GUILESS_MAIN(TestHttpClient)
#include "tst_httpclient.moc"
