// The libcurl client against local servers: what reaches the sink and how each transfer ends.
#include "retrieval/httpclient.h"
#include "tests/support/fixtureserver.h"
#include "tests/support/recordingproxy.h"
#include "tests/support/tlsfixture.h"
#include "tests/support/transferenvironment.h"

#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <memory>
#include <optional>

Q_DECLARE_METATYPE(FixtureResponse)
Q_DECLARE_METATYPE(TransferOptions)

namespace {

struct Received {
    bool ended = false;  // finished() came within the wait
    QByteArray body;
    int error = -1;
    QString errorText;
    int status = 0;
    qint64 announced = 0;
    qint64 bytesReceived = 0;
    int finishedCount = 0;
    std::pair<qint64, qint64> lastProgress{-1, -1};  // received, announced
};

// One GET to its end. refuseAfter >= 0: the sink refuses once it holds that many bytes.
// during runs right after get() and on each progress, to act on a live transfer.
Received fetch(HttpClient &client, const QString &url, const TransferOptions &options = {}, qsizetype refuseAfter = -1,
               const std::function<void(HttpTransfer *)> &during = {})
{
    Received got;
    std::unique_ptr<HttpTransfer> transfer(client.get(url, options, [&got, refuseAfter](const char *data, qsizetype size) {
        if (refuseAfter >= 0 && got.body.size() >= refuseAfter)
            return false;
        got.body.append(data, size);
        return true;
    }));
    QSignalSpy finished(transfer.get(), &HttpTransfer::finished);
    QObject::connect(transfer.get(), &HttpTransfer::progress, transfer.get(),
                     [&got](qint64 received, qint64 announced) { got.lastProgress = {received, announced}; });
    if (during) {
        QObject::connect(transfer.get(), &HttpTransfer::progress, transfer.get(), [&] { during(transfer.get()); });
        during(transfer.get());
    }
    got.ended = QTest::qWaitFor([&] { return !finished.isEmpty(); }, 15000);
    // A second finished() would be queued by now.
    QCoreApplication::processEvents();
    got.finishedCount = int(finished.count());
    got.error = transfer->errorNumber();
    got.errorText = transfer->errorText();
    got.status = transfer->status();
    got.announced = transfer->announcedLength();
    got.bytesReceived = transfer->bytesReceived();
    return got;
}

QString addressOf(const ScriptedServer &server)
{
    const QUrl url(server.url(QStringLiteral("/")));
    return url.host() + ':' + QString::number(url.port());
}

const QByteArray kMap = bodyPattern(5000);

} // namespace

class TestHttpClient : public QObject {
    Q_OBJECT
    TestCertificates m_certificates;
    std::unique_ptr<TransferEnvironment> m_environment;
    std::unique_ptr<FixtureServer> m_server;
    std::unique_ptr<TlsFixtureServer> m_tlsServer;
    std::unique_ptr<HttpClient> m_client;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_certificates.isValid(), qPrintable(m_certificates.error()));
    }

    void init()
    {
        m_environment = std::make_unique<TransferEnvironment>();
        m_server = std::make_unique<FixtureServer>();
        m_tlsServer = std::make_unique<TlsFixtureServer>(m_certificates);
        m_client = std::make_unique<HttpClient>();
    }

    void cleanup()
    {
        m_client.reset();
        m_tlsServer.reset();
        m_server.reset();
        m_environment.reset();
    }

    void transfer_data()
    {
        QTest::addColumn<FixtureResponse>("response");  // served at "/m.gif"
        QTest::addColumn<QString>("url");               // a path on the server, or a whole address
        QTest::addColumn<TransferOptions>("options");
        QTest::addColumn<int>("refuseAfter");           // the sink refuses past this many bytes; -1 never
        QTest::addColumn<int>("error");
        const QByteArray exact = bodyPattern(8192 * 3), trickle = bodyPattern(1750);
        const QString m = "/m.gif";
        const TransferOptions defaults, capped{.maxBodyBytes = 10000};
        // About 500 bytes a second: well under 1 KiB/s, yet never silent for long. libcurl judges the
        // speed at whole-second marks, so a one-second window may only close after two; the body
        // lasts well beyond that.
        const FixtureResponse trickling{.body = trickle, .pieceSize = 50, .pieceDelayMs = 100};
        QByteArray chunkedBody;
        for (qsizetype at = 0; at < kMap.size(); at += 700)
            chunkedBody += QByteArray::number(kMap.mid(at, 700).size(), 16) + "\r\n" + kMap.mid(at, 700) + "\r\n";
        chunkedBody += "0\r\n\r\n";

        // Rows name the response, the error, then what differs from the defaults.
        auto row = [&](const char *name, const FixtureResponse &response, int error, const TransferOptions &options = {},
                       const QString &url = QStringLiteral("/m.gif"), int refuseAfter = -1) { QTest::newRow(name) << response << url << options << refuseAfter << error; };
        row("200 without Content-Length", {.body = kMap, .contentLength = false}, 0);
        row("exactly 3 x 8192", {.body = exact}, 0);
        row("chunked", {.headers = "Transfer-Encoding: chunked\r\n", .body = chunkedBody, .contentLength = false, .pieceSize = 1000, .pieceDelayMs = 1}, 0);
        row("404", {.status = 404, .body = "<h1>Not Found</h1>"}, HttpClient::ErrNotAMap);
        // Still an error page, whatever its size: the cap is for maps.
        row("404 page over the cap", {.status = 404, .body = bodyPattern(20000)}, HttpClient::ErrNotAMap, capped);
        row("connection refused", {}, HttpClient::ErrConnect, defaults, QString("http://127.0.0.1:%1/m.gif").arg(FixtureServer::unusedPort()));
        row("unknown host", {}, HttpClient::ErrHostNotFound, defaults, "http://no-such-host.invalid/m.gif");
        row("no answer, short time-out", {.hang = true}, HttpClient::ErrTimeout, {.timeoutMs = 300});
        // The time-out counts silence, not the length of the whole transfer.
        row("steady, longer than the time-out", {.body = bodyPattern(30000), .pieceSize = 2000, .pieceDelayMs = 50}, 0, {.timeoutMs = 500});
        row("trickle under the low-speed limit", trickling, HttpClient::ErrTimeout, {.timeoutMs = 5000, .lowSpeedSeconds = 1});
        row("trickle within the low-speed window", trickling, 0, {.timeoutMs = 5000, .lowSpeedSeconds = 30});
        row("cut short of its Content-Length", {.headers = "Content-Length: 5000\r\n", .body = bodyPattern(1000), .contentLength = false},
            HttpClient::ErrTransfer);
        row("exactly at the cap", {.body = bodyPattern(10000)}, 0, capped);
        row("announced over the cap", {.body = bodyPattern(20000)}, HttpClient::ErrTooLarge, capped);
        row("counted over the cap", {.body = bodyPattern(20000), .contentLength = false}, HttpClient::ErrTooLarge, capped);
        row("sink refuses", {.body = bodyPattern(200000)}, HttpClient::ErrSink, defaults, m, 1);
        // An unparsable address: tst_fetchqueue (where the fetch never starts).
        row("ftp address", {}, HttpClient::ErrStartFailed, defaults, "ftp://x/");
    }

    void transfer()
    {
        QFETCH(FixtureResponse, response);
        QFETCH(QString, url);
        QFETCH(TransferOptions, options);
        QFETCH(int, refuseAfter);
        QFETCH(int, error);
        m_server->responses["/m.gif"] = response;
        const bool chunked = response.headers.contains("chunked");
        const QByteArray whole = chunked ? kMap : response.body;

        const Received got = fetch(*m_client, url.startsWith('/') ? m_server->url(url) : url, options, refuseAfter);
        QVERIFY(got.ended);
        QCOMPARE(got.finishedCount, 1);
        QCOMPARE(got.error, error);
        if (error == HttpClient::NoError) {
            QCOMPARE(got.body, whole);
            QCOMPARE(got.status, 200);
            QCOMPARE(got.bytesReceived, whole.size());
            QCOMPARE(got.announced, response.contentLength ? whole.size() : -1);
            // The queue's users see the end of a body through progress.
            QCOMPARE(got.lastProgress, std::make_pair(qint64(whole.size()), got.announced));
        } else {
            QVERIFY(whole.startsWith(got.body));
            QVERIFY(!got.errorText.isEmpty());
        }
        if (error == HttpClient::ErrNotAMap) {
            QCOMPARE(got.body, QByteArray());  // an error page is never a map
            QCOMPARE(got.status, response.status);
            QVERIFY2(got.errorText.startsWith(QString("HTTP %1").arg(response.status)), qPrintable(got.errorText));
        }
        if (error == HttpClient::ErrTooLarge)
            QVERIFY(got.body.size() <= options.maxBodyBytes);
    }

    void cancel_data()
    {
        QTest::addColumn<bool>("midway");  // false: at once after get(), before any byte
        QTest::addColumn<bool>("deleted"); // the owner deletes it instead of cancelling
        QTest::newRow("before any byte") << false << false;
        QTest::newRow("midway") << true << false;
        QTest::newRow("deleted midway") << true << true;
    }

    void cancel()
    {
        QFETCH(bool, midway);
        QFETCH(bool, deleted);
        const QByteArray body = bodyPattern(100000);
        m_server->responses["/m.gif"] = {.body = body, .pieceSize = 1000, .pieceDelayMs = 20};
        m_server->responses["/next.gif"] = {.body = kMap};
        if (deleted) {
            std::unique_ptr<HttpTransfer> transfer(m_client->get(m_server->url("/m.gif"), {}, [](const char *, qsizetype) { return true; }));
            QTRY_VERIFY(transfer->bytesReceived() > 0);
            transfer.reset();
            QTRY_COMPARE(m_server->openConnections(), 0);
        } else {
            int finishedAtCancel = -1;
            const Received got = fetch(*m_client, m_server->url("/m.gif"), {}, -1, [&](HttpTransfer *transfer) {
                if (finishedAtCancel >= 0 || (midway && transfer->bytesReceived() == 0))
                    return;
                transfer->cancel();
                finishedAtCancel = transfer->isFinished();
            });
            QVERIFY(got.ended);
            QCOMPARE(finishedAtCancel, 0);  // finished() comes from the event loop, not from inside cancel()
            QCOMPARE(got.finishedCount, 1);
            QCOMPARE(got.error, int(HttpClient::ErrCancelled));
            QVERIFY(got.body.size() < body.size());
            QVERIFY(body.startsWith(got.body));
            QCOMPARE(!got.body.isEmpty(), midway);
        }
        QCOMPARE(m_client->runningTransfers(), 0);
        // The client forgot the ended transfer's socket and goes on serving.
        const Received next = fetch(*m_client, m_server->url("/next.gif"));
        QCOMPARE(next.error, 0);
        QCOMPARE(next.body, kMap);
    }

    void tls_data()
    {
        QTest::addColumn<QList<bool>>("trusted");  // SSL_CERT_FILE names the test CA, for each GET in turn
        QTest::addColumn<QList<int>>("errors");
        const int refused = HttpClient::ErrConnect;
        // The bundle is read at each GET, and a connection made under other trust is not reused.
        QTest::newRow("trusted after a refusal") << QList<bool>{false, true} << QList<int>{refused, 0};
        QTest::newRow("refused once trust is withdrawn") << QList<bool>{true, false} << QList<int>{0, refused};
    }

    void tls()
    {
        QFETCH(QList<bool>, trusted);
        QFETCH(QList<int>, errors);
        m_tlsServer->responses["/m.gif"] = {.body = kMap, .keepAlive = true};
        for (qsizetype i = 0; i < trusted.size(); ++i) {
            if (trusted[i])
                qputenv("SSL_CERT_FILE", m_certificates.caFile().toLocal8Bit());
            else
                qunsetenv("SSL_CERT_FILE");
            const Received got = fetch(*m_client, m_tlsServer->url("/m.gif"));
            QVERIFY(got.ended);
            QCOMPARE(got.error, errors[i]);
            QCOMPARE(got.body, errors[i] ? QByteArray() : kMap);
        }
    }

    void proxy_data()
    {
        QTest::addColumn<bool>("tls");
        QTest::addColumn<bool>("direct");
        QTest::addColumn<QByteArray>("noProxy");
        QTest::addColumn<bool>("proxied");
        QTest::newRow("http_proxy") << false << false << QByteArray() << true;
        QTest::newRow("http_proxy, direct") << false << true << QByteArray() << false;
        QTest::newRow("http_proxy, no_proxy names the host") << false << false << QByteArray("127.0.0.1") << false;
        QTest::newRow("https_proxy") << true << false << QByteArray() << true;
    }

    void proxy()
    {
        QFETCH(bool, tls);
        QFETCH(bool, direct);
        QFETCH(QByteArray, noProxy);
        QFETCH(bool, proxied);
        RecordingProxy proxy;
        ScriptedServer &origin = tls ? static_cast<ScriptedServer &>(*m_tlsServer) : *m_server;
        origin.responses["/m.gif"] = {.body = kMap};
        qputenv(tls ? "https_proxy" : "http_proxy", proxy.proxyUrl().toLatin1());
        qputenv("SSL_CERT_FILE", m_certificates.caFile().toLocal8Bit());
        if (!noProxy.isEmpty())
            qputenv("no_proxy", noProxy);

        const Received got = fetch(*m_client, origin.url("/m.gif"), TransferOptions{.direct = direct});
        QVERIFY(got.ended);
        QCOMPARE(got.error, 0);
        QCOMPARE(got.body, kMap);
        QCOMPARE(origin.paths, QStringList{"/m.gif"});
        const QString through = tls ? "CONNECT " + addressOf(origin) : origin.url("/m.gif");
        QCOMPARE(proxy.requests, proxied ? QStringList{through} : QStringList());
    }

    void redirects_data()
    {
        QTest::addColumn<int>("hops");
        QTest::addColumn<QString>("target");  // where the last hop points: "tls", "plain" or "ftp"
        QTest::addColumn<int>("error");
        QTest::newRow("http to https") << 1 << "tls" << 0;
        QTest::newRow("five redirects") << 5 << "plain" << 0;
        QTest::newRow("six redirects") << 6 << "plain" << int(HttpClient::ErrTransfer);
        // A map host may only send us on to http or https.
        QTest::newRow("to ftp") << 1 << "ftp" << int(HttpClient::ErrTransfer);
    }

    void redirects()
    {
        QFETCH(int, hops);
        QFETCH(QString, target);
        QFETCH(int, error);
        qputenv("SSL_CERT_FILE", m_certificates.caFile().toLocal8Bit());
        m_tlsServer->responses["/m.gif"] = {.body = kMap};
        m_server->responses["/m.gif"] = {.body = kMap};
        // An ftp client waits for a greeting the fixture never sends, so following it would hang.
        const QString last = target == "tls"     ? m_tlsServer->url("/m.gif")
                             : target == "plain" ? m_server->url("/m.gif")
                                                 : "ftp://" + addressOf(*m_server) + "/m.gif";
        for (int hop = 0; hop < hops; ++hop) {
            const QString next = hop + 1 < hops ? m_server->url(QString("/r%1").arg(hop + 1)) : last;
            m_server->responses[QString("/r%1").arg(hop)] = {.status = 302, .headers = "Location: " + next.toLatin1() + "\r\n", .body = "moved"};
        }
        const Received got = fetch(*m_client, m_server->url("/r0"), TransferOptions{.timeoutMs = 2000});
        QVERIFY(got.ended);
        QCOMPARE(got.error, error);
        QCOMPARE(got.body, error ? QByteArray() : kMap);
    }

    void startFromASignal_data()
    {
        QTest::addColumn<bool>("fromProgress");  // false: from finished()
        QTest::newRow("from progress") << true;
        QTest::newRow("from finished") << false;
    }

    // A receiver that asks for the next map while told of the last one, as the queue's users do.
    void startFromASignal()
    {
        QFETCH(bool, fromProgress);
        m_server->responses["/a.gif"] = {.body = kMap};
        m_server->responses["/b.gif"] = {.body = kMap};
        QByteArray secondBody;
        std::unique_ptr<HttpTransfer> second;
        auto startSecond = [&] {
            if (!second)
                second.reset(m_client->get(m_server->url("/b.gif"), TransferOptions{.timeoutMs = 1000}, [&](const char *data, qsizetype size) {
                    secondBody.append(data, size);
                    return true;
                }));
        };
        std::unique_ptr<HttpTransfer> first(m_client->get(m_server->url("/a.gif"), {}, [](const char *, qsizetype) { return true; }));
        if (fromProgress)
            connect(first.get(), &HttpTransfer::progress, this, startSecond);
        else
            connect(first.get(), &HttpTransfer::finished, this, startSecond);
        QTRY_VERIFY(first->isFinished());
        QCOMPARE(first->errorNumber(), 0);
        QVERIFY(second);
        QTRY_VERIFY(second->isFinished());
        QCOMPARE(second->errorNumber(), 0);
        QCOMPARE(secondBody, kMap);
    }

    // The client's owner may go first; its transfers must still come to an end.
    void clientDestroyedWhileRunning()
    {
        m_server->responses["/m.gif"] = {.body = bodyPattern(100000), .pieceSize = 1000, .pieceDelayMs = 20};
        std::unique_ptr<HttpTransfer> transfer(m_client->get(m_server->url("/m.gif"), {}, [](const char *, qsizetype) { return true; }));
        QSignalSpy finished(transfer.get(), &HttpTransfer::finished);
        QTRY_VERIFY(transfer->bytesReceived() > 0);
        m_client.reset();
        // Queued from the destructor at the latest, so a short wait is plenty.
        const bool ended = QTest::qWaitFor([&] { return !finished.isEmpty(); }, 1000);
        QVERIFY(ended);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(transfer->errorNumber(), int(HttpClient::ErrCancelled));
    }

    void connectionReuse_data()
    {
        QTest::addColumn<bool>("keepAlive");
        QTest::addColumn<int>("connections");
        QTest::newRow("keep-alive") << true << 1;
        QTest::newRow("Connection: close") << false << 2;  // shows the count sees every connection
    }

    void connectionReuse()
    {
        QFETCH(bool, keepAlive);
        m_server->responses["/a.gif"] = {.body = kMap, .keepAlive = keepAlive};
        m_server->responses["/b.gif"] = {.body = kMap, .keepAlive = keepAlive};
        for (const char *path : {"/a.gif", "/b.gif"}) {
            const Received got = fetch(*m_client, m_server->url(path));
            QVERIFY(got.ended);
            QCOMPARE(got.error, 0);
            QCOMPARE(got.body, kMap);
        }
        QCOMPARE(m_server->paths, (QStringList{"/a.gif", "/b.gif"}));
        QTEST(m_server->connections, "connections");
    }
};

QTEST_GUILESS_MAIN(TestHttpClient)
#include "tst_httpclient.moc"
