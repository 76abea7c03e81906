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
    int emptyReads = 0;
    int largest = 0;
};

// Reads the body the way the downloader does: chunks of 8192 until an empty one.
Drained drain(HttpClient &client)
{
    Drained result;
    for (;;) {
        const QByteArray chunk = client.GetChunk(8192);
        if (chunk.isEmpty()) {
            ++result.emptyReads;
            break;
        }
        result.largest = qMax(result.largest, int(chunk.size()));
        result.body += chunk;
    }
    return result;
}

// The body in chunked transfer coding, chunks of chunkSize, with the final empty chunk.
QByteArray chunked(const QByteArray &body, int chunkSize)
{
    QByteArray encoded;
    for (qsizetype at = 0; at < body.size(); at += chunkSize) {
        const QByteArray piece = body.mid(at, chunkSize);
        encoded += QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
    }
    return encoded + "0\r\n\r\n";
}

// An answer whose body is sent exactly as given under "Transfer-Encoding: chunked".
FixtureResponse chunkedResponse(const QByteArray &raw, int pieceSize = 0, int delayMs = 0)
{
    FixtureResponse response = FixtureResponse::ok(raw);
    response.headers.append(qMakePair(QByteArray("Transfer-Encoding"), QByteArray("chunked")));
    response.sendContentLength = false;
    response.pieceSize = pieceSize;
    response.pieceDelayMs = delayMs;
    return response;
}

FixtureResponse keptAlive(FixtureResponse response)
{
    response.keepAlive = true;
    return response;
}

FixtureResponse redirect(int status, const QByteArray &location)
{
    FixtureResponse response = FixtureResponse::error(status, "Moved");
    response.headers.append(qMakePair(QByteArray("Location"), location));
    return response;
}

FixtureResponse slowBody(const QByteArray &body, int pieceSize, int delayMs)
{
    FixtureResponse response = FixtureResponse::ok(body);
    response.pieceSize = pieceSize;
    response.pieceDelayMs = delayMs;
    return response;
}

} // namespace

class TestHttpClient : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void bodyInChunks_data();
    void bodyInChunks();
    void headersAndRequest();
    void errorStatus_data();
    void errorStatus();
    void failures_data();
    void failures();
    void timeoutIsOfInactivity();
    void badAddress_data();
    void badAddress();
    void cancelWhileReading();
    void cancelWhileWaitingForHeaders();
    void cancelWhenIdle();
    void busyRefusesSecondRequest();
    void waitNeverCrossesIntoNextRequest();
    void openUrl_data();
    void openUrl();
    void requestsInSequence();
    void bodyIsNotHeldWhole_data();
    void bodyIsNotHeldWhole();
    void chunkedBody_data();
    void chunkedBody();
    void connectionReuse_data();
    void connectionReuse();
    void closedIdleConnectionIsReplaced();
    void redirects_data();
    void redirects();
    void refusedBodyIsNotDownloaded_data();
    void refusedBodyIsNotDownloaded();

private:
    FixtureServer *m_server = nullptr;
    HttpClient *m_client = nullptr;
};

void TestHttpClient::init()
{
    m_server = new FixtureServer;
    QVERIFY(m_server->port() != 0);
    m_client = new HttpClient;
}

void TestHttpClient::cleanup()
{
    delete m_client;
    delete m_server;
}

void TestHttpClient::bodyInChunks_data()
{
    QTest::addColumn<FixtureResponse>("response");
    const QByteArray exact = pattern(8192 * 3);
    QTest::newRow("empty") << FixtureResponse::ok(QByteArray());
    QTest::newRow("one byte") << FixtureResponse::ok(pattern(1));
    QTest::newRow("8191") << FixtureResponse::ok(pattern(8191));
    QTest::newRow("exactly 8192") << FixtureResponse::ok(pattern(8192));
    QTest::newRow("exactly 3 x 8192") << FixtureResponse::ok(exact);
    QTest::newRow("300 KiB, over the read buffer") << FixtureResponse::ok(pattern(300 * 1024 + 17));
    QTest::newRow("in slow pieces") << slowBody(pattern(50000), 7000, 20);
    QTest::newRow("exact multiple in odd pieces") << slowBody(exact, 5000, 5);

    FixtureResponse closeDelimited = FixtureResponse::ok(pattern(100000));
    closeDelimited.sendContentLength = false;
    QTest::newRow("no Content-Length") << closeDelimited;
    closeDelimited.pieceSize = 30000;
    closeDelimited.pieceDelayMs = 10;
    QTest::newRow("no Content-Length, pieces") << closeDelimited;
}

void TestHttpClient::bodyInChunks()
{
    QFETCH(FixtureResponse, response);
    m_server->setResponse("/wz/pics/Rtavn065.gif", response);

    QVERIFY(m_client->Execute(m_server->url("/wz/pics/Rtavn065.gif")));
    QVERIFY(m_client->StillExecuting());
    QVERIFY(m_client->busy());
    m_client->waitForResponse();
    QVERIFY(!m_client->StillExecuting());
    QCOMPARE(m_client->statusCode(), 200);
    QCOMPARE(m_client->GetHeader("Content-Length"),
             response.sendContentLength ? QString::number(response.body.size()) : QString());

    const Drained got = drain(*m_client);
    QCOMPARE(got.body.size(), response.body.size());
    QVERIFY(got.body == response.body);
    QVERIFY(got.largest <= 8192);
    QCOMPARE(m_client->errorNumber(), int(HttpClient::NoError));
    QVERIFY(!m_client->busy());
    // Reading past the end stays empty.
    QVERIFY(m_client->GetChunk(8192).isEmpty());
    QCOMPARE(m_client->errorNumber(), int(HttpClient::NoError));
}

void TestHttpClient::headersAndRequest()
{
    FixtureResponse response = FixtureResponse::ok(pattern(10));
    response.headers.append(qMakePair(QByteArray("X-Run"), QByteArray("2024")));
    m_server->setResponse("/pics/Rtavn0611.gif", response);

    QVERIFY(m_client->Execute(m_server->url("/pics/Rtavn0611.gif")));
    m_client->waitForResponse();
    QCOMPARE(m_client->GetHeader("content-length"), QString("10"));
    QCOMPARE(m_client->GetHeader("X-RUN"), QString("2024"));
    QCOMPARE(m_client->GetHeader("X-Missing"), QString());
    drain(*m_client);

    QCOMPARE(m_server->requests().size(), 1);
    const FixtureRequest request = m_server->requests().first();
    QCOMPARE(request.method, QByteArray("GET"));
    QCOMPARE(request.path, QString("/pics/Rtavn0611.gif"));
    QCOMPARE(request.header("User-Agent"), QByteArray("Cartavent/" CARTAVENT_VERSION));
    QCOMPARE(request.header("Accept-Encoding"), QByteArray("identity"));
    QCOMPARE(request.header("Host"), m_server->host().toLatin1());
    // Headers stay readable after the body was read.
    QCOMPARE(m_client->GetHeader("X-Run"), QString("2024"));
}

void TestHttpClient::errorStatus_data()
{
    QTest::addColumn<FixtureResponse>("response");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("description");
    QTest::newRow("404") << FixtureResponse::error(404, "Not Found") << 404 << "HTTP 404 Not Found";
    QTest::newRow("500") << FixtureResponse::error(500, "Internal Server Error") << 500
                         << "HTTP 500 Internal Server Error";
    FixtureResponse noLength = FixtureResponse::error(503, "Service Unavailable");
    noLength.sendContentLength = false;
    QTest::newRow("503 close-delimited") << noLength << 503 << "HTTP 503 Service Unavailable";
    FixtureResponse big = FixtureResponse::error(404, "Not Found");
    big.body = pattern(500000);
    QTest::newRow("404 with a large page") << big << 404 << "HTTP 404 Not Found";
}

void TestHttpClient::errorStatus()
{
    QFETCH(FixtureResponse, response);
    m_server->setResponse("/missing.gif", response);

    QVERIFY(m_client->Execute(m_server->url("/missing.gif")));
    m_client->waitForResponse();
    QTEST(m_client->statusCode(), "status");
    QCOMPARE(m_client->errorNumber(), int(HttpClient::ErrNotAMap));
    QTEST(m_client->errorDescription(), "description");
    QVERIFY(!m_client->busy());
    // The error page is refused at once.
    QVERIFY(m_client->GetChunk(8192).isEmpty());
    m_client->clearError();
    QCOMPARE(m_client->errorNumber(), int(HttpClient::NoError));
    QVERIFY(m_client->errorDescription().isEmpty());
}

void TestHttpClient::failures_data()
{
    QTest::addColumn<FixtureResponse>("response");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<int>("error");
    QTest::addColumn<qint64>("maxBody");
    const qint64 noLimit = 0;  // the default limit

    FixtureResponse hang;
    hang.behaviour = FixtureResponse::Hang;
    QTest::newRow("no answer") << hang << false << int(HttpClient::ErrTimeout) << noLimit;
    QTest::newRow("body stalls") << slowBody(pattern(20000), 5000, 5000) << false << int(HttpClient::ErrTimeout) << noLimit;

    QTest::newRow("refused") << FixtureResponse() << true << int(HttpClient::ErrConnect) << noLimit;

    FixtureResponse closeAtOnce;
    closeAtOnce.behaviour = FixtureResponse::CloseAtOnce;
    QTest::newRow("closed without answer") << closeAtOnce << false << int(HttpClient::ErrTransfer) << noLimit;

    FixtureResponse cut = FixtureResponse::ok(pattern(100000));
    cut.cutAfter = 30000;
    QTest::newRow("cut before Content-Length") << cut << false << int(HttpClient::ErrTransfer) << noLimit;
    cut.cutAfter = 0;
    QTest::newRow("cut before the body") << cut << false << int(HttpClient::ErrTransfer) << noLimit;

    QTest::newRow("announced too large") << FixtureResponse::ok(pattern(5000)) << false
                                         << int(HttpClient::ErrTooLarge) << qint64(4096);
    FixtureResponse unannounced = slowBody(pattern(200000), 16384, 1);
    unannounced.sendContentLength = false;
    QTest::newRow("counted too large") << unannounced << false << int(HttpClient::ErrTooLarge) << qint64(50000);
}

void TestHttpClient::failures()
{
    QFETCH(FixtureResponse, response);
    QFETCH(bool, refused);
    m_server->setResponse("/map.gif", response);
    m_client->setRequestTimeoutMs(300);
    QFETCH(qint64, maxBody);
    m_client->setMaxBodySize(maxBody);

    const QString url = refused ? QString("http://127.0.0.1:%1/map.gif").arg(FixtureServer::unusedPort())
                                : m_server->url("/map.gif");
    QVERIFY(m_client->Execute(url));
    m_client->waitForResponse();
    const Drained got = drain(*m_client);
    QTEST(m_client->errorNumber(), "error");
    QVERIFY(!m_client->errorDescription().isEmpty());
    QVERIFY(!m_client->StillExecuting());
    QVERIFY(!m_client->busy());
    QVERIFY(got.body.size() < qMax<qsizetype>(response.body.size(), 1));
    QCOMPARE(got.emptyReads, 1);
}

void TestHttpClient::timeoutIsOfInactivity()
{
    // Each piece comes well within the time-out, the whole body well after it.
    const QByteArray body = pattern(30 * 1000);
    m_server->setResponse("/steady.gif", slowBody(body, 1000, 50));
    m_client->setRequestTimeoutMs(1000);
    QCOMPARE(m_client->OpenURL(m_server->url("/steady.gif")), body);
    QCOMPARE(m_client->errorNumber(), int(HttpClient::NoError));
}

void TestHttpClient::badAddress_data()
{
    QTest::addColumn<QString>("url");
    QTest::newRow("empty") << QString();
    QTest::newRow("no scheme") << "Rtavn065.gif";
    QTest::newRow("no host") << "http:///wz/pics/Rtavn065.gif";
    QTest::newRow("other scheme") << "ftp://127.0.0.1/Rtavn065.gif";
    QTest::newRow("https, not spoken") << "https://127.0.0.1/Rtavn065.gif";
    QTest::newRow("bad port") << "http://127.0.0.1:99999/x.gif";
    QTest::newRow("space in host") << "http://bad host/x.gif";
}

void TestHttpClient::badAddress()
{
    QFETCH(QString, url);
    QVERIFY(!m_client->Execute(url));
    QCOMPARE(m_client->errorNumber(), int(HttpClient::ErrStartFailed));
    QVERIFY(!m_client->StillExecuting());
    QVERIFY(!m_client->busy());
    QVERIFY(m_client->GetChunk(8192).isEmpty());
    QVERIFY(m_client->OpenURL(url).isEmpty());
    QCOMPARE(m_client->errorNumber(), int(HttpClient::ErrStartFailed));
}

void TestHttpClient::cancelWhileReading()
{
    m_server->setResponse("/big.gif", slowBody(pattern(400000), 4000, 30));
    QVERIFY(m_client->Execute(m_server->url("/big.gif")));
    m_client->waitForResponse();
    QVERIFY(!m_client->GetChunk(8192).isEmpty());

    // A window handler cancels while the reader waits for more.
    QTimer::singleShot(50, m_client, [this] { m_client->Cancel(); });
    const Drained got = drain(*m_client);
    QVERIFY(got.body.size() < 400000);
    QCOMPARE(m_client->errorNumber(), int(HttpClient::ErrCancelled));
    QVERIFY(!m_client->busy());
    QVERIFY(!m_client->StillExecuting());
}

void TestHttpClient::cancelWhileWaitingForHeaders()
{
    FixtureResponse hang;
    hang.behaviour = FixtureResponse::Hang;
    m_server->setResponse("/hang.gif", hang);
    QVERIFY(m_client->Execute(m_server->url("/hang.gif")));
    QTimer::singleShot(50, m_client, [this] { m_client->Cancel(); });
    m_client->waitForResponse();
    QVERIFY(!m_client->StillExecuting());
    // Ended by the cancel, not by the 8 s time-out.
    QCOMPARE(m_client->errorNumber(), int(HttpClient::ErrCancelled));
    QVERIFY(m_client->GetChunk(8192).isEmpty());
}

void TestHttpClient::cancelWhenIdle()
{
    m_client->Cancel();
    QCOMPARE(m_client->errorNumber(), int(HttpClient::NoError));

    m_server->setResponse("/a.gif", FixtureResponse::ok(pattern(100)));
    QCOMPARE(m_client->OpenURL(m_server->url("/a.gif")), pattern(100));
    m_client->Cancel();
    QCOMPARE(m_client->errorNumber(), int(HttpClient::NoError));
}

void TestHttpClient::busyRefusesSecondRequest()
{
    const QByteArray body = pattern(60000);
    m_server->setResponse("/first.gif", slowBody(body, 10000, 20));
    m_server->setResponse("/second.gif", FixtureResponse::ok(pattern(10)));
    QVERIFY(m_client->Execute(m_server->url("/first.gif")));
    m_client->waitForResponse();

    QVERIFY(!m_client->Execute(m_server->url("/second.gif")));
    QCOMPARE(m_client->errorNumber(), int(HttpClient::ErrBusy));
    m_client->clearError();
    // The running transfer is untouched.
    const Drained got = drain(*m_client);
    QVERIFY(got.body == body);
    QCOMPARE(m_client->errorNumber(), int(HttpClient::NoError));
    QCOMPARE(m_server->requestCount("/second.gif"), 0);
}

void TestHttpClient::waitNeverCrossesIntoNextRequest()
{
    m_server->setResponse("/slow.gif", slowBody(pattern(100000), 2000, 50));
    m_server->setResponse("/other.gif", FixtureResponse::ok(pattern(3000)));
    QVERIFY(m_client->Execute(m_server->url("/slow.gif")));
    m_client->waitForResponse();

    // A handler replaces the request while the reader waits: the reader must not go on
    // with the other body as if it were its own.
    bool replaced = false;
    QTimer::singleShot(30, m_client, [this, &replaced] {
        m_client->Cancel();
        replaced = m_client->Execute(m_server->url("/other.gif"));
    });
    const Drained first = drain(*m_client);
    QVERIFY(replaced);
    QVERIFY(first.body.size() < 100000);
    QVERIFY(!first.body.contains(pattern(3000)));

    m_client->waitForResponse();
    QCOMPARE(m_client->errorNumber(), int(HttpClient::NoError));
    QCOMPARE(drain(*m_client).body, pattern(3000));
}

void TestHttpClient::openUrl_data()
{
    QTest::addColumn<FixtureResponse>("response");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("error");
    const QByteArray map = pattern(150001);
    QTest::newRow("whole body") << FixtureResponse::ok(map) << map << int(HttpClient::NoError);
    QTest::newRow("slow body") << slowBody(map, 40000, 10) << map << int(HttpClient::NoError);
    QTest::newRow("empty body") << FixtureResponse::ok(QByteArray()) << QByteArray() << int(HttpClient::NoError);
    QTest::newRow("404") << FixtureResponse::error(404, "Not Found") << QByteArray() << int(HttpClient::ErrNotAMap);
    FixtureResponse moved = FixtureResponse::error(302, "Found");
    moved.headers.append(qMakePair(QByteArray("Location"), QByteArray("/moved.gif")));
    QTest::newRow("redirect followed") << moved << pattern(777) << int(HttpClient::NoError);
    // "100 Continue" first; the real answer follows on the same connection.
    FixtureResponse interim;
    interim.status = 100;
    interim.reason = "Continue";
    interim.sendContentLength = false;
    interim.body = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello";
    QTest::newRow("interim answer skipped") << interim << QByteArray("hello") << int(HttpClient::NoError);
}

void TestHttpClient::openUrl()
{
    QFETCH(FixtureResponse, response);
    m_server->setResponse("/wz/pics/Rtavn065.gif", response);
    m_server->setResponse("/moved.gif", FixtureResponse::ok(pattern(777)));
    const QByteArray body = m_client->OpenURL(m_server->url("/wz/pics/Rtavn065.gif"));
    QTEST(body, "expected");
    QTEST(m_client->errorNumber(), "error");
    QVERIFY(!m_client->busy());
}

void TestHttpClient::requestsInSequence()
{
    m_server->setResponse("/1.gif", FixtureResponse::ok(pattern(1000)));
    m_server->setResponse("/2.gif", FixtureResponse::error(404, "Not Found"));
    m_server->setResponse("/3.gif", FixtureResponse::ok(pattern(2000)));

    QCOMPARE(m_client->OpenURL(m_server->url("/1.gif")), pattern(1000));
    QVERIFY(m_client->OpenURL(m_server->url("/2.gif")).isEmpty());
    QCOMPARE(m_client->errorNumber(), int(HttpClient::ErrNotAMap));
    // A new start judges the new request alone.
    QCOMPARE(m_client->OpenURL(m_server->url("/3.gif")), pattern(2000));
    QCOMPARE(m_client->errorNumber(), int(HttpClient::NoError));
    QCOMPARE(m_client->statusCode(), 200);

    QStringList paths;
    for (const FixtureRequest &request : m_server->requests())
        paths << request.path;
    QCOMPARE(paths, (QStringList{"/1.gif", "/2.gif", "/3.gif"}));
}

void TestHttpClient::bodyIsNotHeldWhole_data()
{
    QTest::addColumn<FixtureResponse>("response");
    QTest::addColumn<QByteArray>("body");
    // Far more than socket buffers hold, written by the server at once.
    const QByteArray body(16 * 1024 * 1024, 'm');
    QTest::newRow("Content-Length") << FixtureResponse::ok(body) << body;
    QTest::newRow("chunked") << chunkedResponse(chunked(body, 1000 * 1000)) << body;
    FixtureResponse closeDelimited = FixtureResponse::ok(body);
    closeDelimited.sendContentLength = false;
    QTest::newRow("close-delimited") << closeDelimited << body;
}

void TestHttpClient::bodyIsNotHeldWhole()
{
    QFETCH(FixtureResponse, response);
    QFETCH(QByteArray, body);
    m_server->setResponse("/huge.gif", response);
    m_client->setMaxBodySize(body.size());
    QVERIFY(m_client->Execute(m_server->url("/huge.gif")));
    m_client->waitForResponse();
    qint64 total = 0, mostBuffered = 0;
    bool same = true;
    for (;;) {
        mostBuffered = qMax(mostBuffered, m_client->bufferedBytes());
        const QByteArray chunk = m_client->GetChunk(8192);
        if (chunk.isEmpty())
            break;
        same = same && chunk == QByteArray::fromRawData(body.constData() + total, chunk.size());
        total += chunk.size();
    }
    QCOMPARE(total, qint64(body.size()));
    QVERIFY(same);
    QCOMPARE(m_client->errorNumber(), int(HttpClient::NoError));
    QVERIFY(mostBuffered <= 4 * HttpClient::ReadBufferSize);
}

void TestHttpClient::chunkedBody_data()
{
    QTest::addColumn<FixtureResponse>("response");
    QTest::addColumn<QByteArray>("expected");  // a broken body may stop anywhere before its end
    QTest::addColumn<int>("error");
    const QByteArray map = pattern(300 * 1024 + 5);
    const int ok = HttpClient::NoError;
    const int broken = HttpClient::ErrTransfer;

    QTest::newRow("one chunk") << chunkedResponse(chunked(pattern(5000), 5000)) << pattern(5000) << ok;
    QTest::newRow("empty body") << chunkedResponse("0\r\n\r\n") << QByteArray() << ok;
    QTest::newRow("many small chunks") << chunkedResponse(chunked(pattern(20000), 7)) << pattern(20000) << ok;
    QTest::newRow("over the read buffer, split anywhere")
        << chunkedResponse(chunked(map, 7000), 3001, 1) << map << ok;
    QTest::newRow("one chunk over the read buffer") << chunkedResponse(chunked(map, int(map.size()))) << map << ok;
    QTest::newRow("extensions, upper case, trailer")
        << chunkedResponse("5;name=value\r\nhello\r\nA\r\n world, hi\r\n0\r\nX-Check: 1\r\n\r\n")
        << QByteArray("hello world, hi") << ok;
    QTest::newRow("bare line feeds") << chunkedResponse("3\nabc\n0\n\n") << QByteArray("abc") << ok;

    // Broken bodies: what was read before the fault showed stays read, so only a start
    // of the body may come out, and the error tells it is not whole.
    QTest::newRow("bad size") << chunkedResponse("zz\r\nhello\r\n0\r\n\r\n") << QByteArray() << broken;
    QTest::newRow("data longer than its size")
        << chunkedResponse("5\r\nhelloXX\r\n0\r\n\r\n") << QByteArray("hello") << broken;
    QTest::newRow("closed before the last chunk")
        << chunkedResponse(chunked(pattern(3000), 1000).chopped(5)) << pattern(3000) << broken;
    QTest::newRow("closed inside a chunk") << chunkedResponse("10\r\nabc") << QByteArray("abc") << broken;
    QTest::newRow("closed inside a size line") << chunkedResponse("3\r\nabc\r\n1") << QByteArray("abc") << broken;
}

void TestHttpClient::chunkedBody()
{
    QFETCH(FixtureResponse, response);
    QFETCH(QByteArray, expected);
    m_server->setResponse("/chunked.gif", response);
    m_client->setRequestTimeoutMs(2000);

    QVERIFY(m_client->Execute(m_server->url("/chunked.gif")));
    m_client->waitForResponse();
    QCOMPARE(m_client->statusCode(), 200);
    const Drained got = drain(*m_client);
    QTEST(m_client->errorNumber(), "error");
    if (m_client->errorNumber() == HttpClient::NoError)
        QCOMPARE(got.body, expected);
    else
        QVERIFY(expected.startsWith(got.body));
    QVERIFY(got.largest <= 8192);
    QCOMPARE(got.emptyReads, 1);
    QVERIFY(!m_client->busy());
}

void TestHttpClient::connectionReuse_data()
{
    QTest::addColumn<FixtureResponse>("first");
    QTest::addColumn<bool>("cancelFirst");
    QTest::addColumn<int>("connections");
    const FixtureResponse second = keptAlive(FixtureResponse::ok(pattern(300)));
    QTest::newRow("kept, Content-Length") << keptAlive(FixtureResponse::ok(pattern(70000))) << false << 1;
    QTest::newRow("kept, empty body") << keptAlive(FixtureResponse::ok(QByteArray())) << false << 1;
    QTest::newRow("kept, chunked") << keptAlive(chunkedResponse(chunked(pattern(70000), 4096))) << false << 1;
    QTest::newRow("kept, slow pieces") << keptAlive(slowBody(pattern(30000), 7000, 5)) << false << 1;
    QTest::newRow("server closes") << FixtureResponse::ok(pattern(70000)) << false << 2;
    QTest::newRow("error status") << keptAlive(FixtureResponse::error(404, "Not Found")) << false << 2;
    // Cancelled before the body came whole: what is left of it would garble the next answer.
    QTest::newRow("body cancelled midway") << keptAlive(slowBody(pattern(400000), 8192, 20)) << true << 2;
}

void TestHttpClient::connectionReuse()
{
    QFETCH(FixtureResponse, first);
    QFETCH(bool, cancelFirst);
    m_server->setResponse("/first.gif", first);
    m_server->setResponse("/second.gif", keptAlive(FixtureResponse::ok(pattern(300))));

    QVERIFY(m_client->Execute(m_server->url("/first.gif")));
    m_client->waitForResponse();
    if (cancelFirst) {
        QVERIFY(!m_client->GetChunk(8192).isEmpty());
        m_client->Cancel();
    } else {
        drain(*m_client);
    }
    m_client->clearError();
    QCOMPARE(m_client->OpenURL(m_server->url("/second.gif")), pattern(300));
    QCOMPARE(m_client->errorNumber(), int(HttpClient::NoError));
    QTEST(m_server->connectionCount(), "connections");
    QCOMPARE(m_server->requestCount("/second.gif"), 1);
}

void TestHttpClient::closedIdleConnectionIsReplaced()
{
    m_server->setResponse("/a.gif", keptAlive(FixtureResponse::ok(pattern(1000))));
    m_server->setResponse("/b.gif", keptAlive(FixtureResponse::ok(pattern(2000))));
    QCOMPARE(m_client->OpenURL(m_server->url("/a.gif")), pattern(1000));
    QCOMPARE(m_server->connectionCount(), 1);

    // The server hangs up the idle connection; the client has not noticed yet when it
    // sends the next request on it.
    m_server->closeConnections();
    QCOMPARE(m_client->OpenURL(m_server->url("/b.gif")), pattern(2000));
    QCOMPARE(m_client->errorNumber(), int(HttpClient::NoError));
    QCOMPARE(m_server->connectionCount(), 2);
    QCOMPARE(m_server->requestCount("/b.gif"), 1);
}

void TestHttpClient::redirects_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("hops");
    QTest::addColumn<QByteArray>("target");  // where the last hop points; %1 is the server
    QTest::addColumn<int>("error");
    const QByteArray relative = "/end.gif";
    const int ok = HttpClient::NoError;
    QTest::newRow("301") << 301 << 1 << relative << ok;
    QTest::newRow("302, absolute") << 302 << 1 << QByteArray("http://%1/end.gif") << ok;
    QTest::newRow("303") << 303 << 2 << relative << ok;
    QTest::newRow("307") << 307 << 3 << relative << ok;
    QTest::newRow("308, five hops") << 308 << 5 << relative << ok;
    QTest::newRow("six hops") << 302 << 6 << relative << int(HttpClient::ErrTransfer);
    QTest::newRow("to https") << 302 << 1 << QByteArray("https://%1/end.gif") << int(HttpClient::ErrNotAMap);
    QTest::newRow("300 is not followed") << 300 << 1 << relative << int(HttpClient::ErrNotAMap);
}

void TestHttpClient::redirects()
{
    QFETCH(int, status);
    QFETCH(int, hops);
    QFETCH(QByteArray, target);
    target.replace("%1", m_server->host().toLatin1());
    // "/hop/n" sends on to "/hop/n-1"; "/hop/1" to the target.
    m_server->setHandler([status, target](const FixtureRequest &request) {
        if (request.path == "/end.gif")
            return FixtureResponse::ok(pattern(4321));
        const int n = request.path.section('/', 2).toInt();
        return redirect(status, n > 1 ? "/hop/" + QByteArray::number(n - 1) : target);
    });

    const QByteArray body = m_client->OpenURL(m_server->url(QString("/hop/%1").arg(hops)));
    QTEST(m_client->errorNumber(), "error");
    QFETCH(int, error);
    QCOMPARE(body, error == HttpClient::NoError ? pattern(4321) : QByteArray());
    QCOMPARE(m_client->statusCode(), error == HttpClient::NoError ? 200 : status);
    QVERIFY(!m_client->busy());
    QCOMPARE(m_server->requestCount("/end.gif"), error == HttpClient::NoError ? 1 : 0);
}

void TestHttpClient::refusedBodyIsNotDownloaded_data()
{
    QTest::addColumn<FixtureResponse>("response");
    QTest::addColumn<bool>("cancel");
    // Sent so slowly that only a hang-up ends the connection within the wait.
    FixtureResponse page = FixtureResponse::error(404, "Not Found");
    page.body = pattern(8 * 1024 * 1024);
    page.pieceSize = 64 * 1024;
    page.pieceDelayMs = 100;
    QTest::newRow("error page") << page << false;
    QTest::newRow("cancelled map") << slowBody(page.body, page.pieceSize, page.pieceDelayMs) << true;
}

void TestHttpClient::refusedBodyIsNotDownloaded()
{
    QFETCH(FixtureResponse, response);
    QFETCH(bool, cancel);
    m_server->setResponse("/x.gif", response);
    QVERIFY(m_client->Execute(m_server->url("/x.gif")));
    m_client->waitForResponse();
    QCOMPARE(m_server->openConnections(), 1);
    if (cancel)
        m_client->Cancel();
    QVERIFY(m_client->errorNumber() != HttpClient::NoError);
    // The client hangs up instead of taking in the rest.
    QTRY_COMPARE(m_server->openConnections(), 0);
}

QTEST_GUILESS_MAIN(TestHttpClient)
#include "tst_httpclient.moc"
