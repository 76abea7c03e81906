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
    void bodyIsNotHeldWhole();
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

void TestHttpClient::badAddress_data()
{
    QTest::addColumn<QString>("url");
    QTest::newRow("empty") << QString();
    QTest::newRow("no scheme") << "Rtavn065.gif";
    QTest::newRow("no host") << "http:///wz/pics/Rtavn065.gif";
    QTest::newRow("other scheme") << "ftp://127.0.0.1/Rtavn065.gif";
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

void TestHttpClient::bodyIsNotHeldWhole()
{
    // Far more than socket buffers hold, written by the server at once.
    const QByteArray body(16 * 1024 * 1024, 'm');
    m_server->setResponse("/huge.gif", FixtureResponse::ok(body));
    m_client->setMaxBodySize(body.size());
    QVERIFY(m_client->Execute(m_server->url("/huge.gif")));
    m_client->waitForResponse();
    qint64 total = 0, mostBuffered = 0;
    for (;;) {
        mostBuffered = qMax(mostBuffered, m_client->bufferedBytes());
        const QByteArray chunk = m_client->GetChunk(8192);
        if (chunk.isEmpty())
            break;
        total += chunk.size();
    }
    QCOMPARE(total, qint64(body.size()));
    QCOMPARE(m_client->errorNumber(), int(HttpClient::NoError));
    QVERIFY(mostBuffered <= 4 * HttpClient::ReadBufferSize);
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
