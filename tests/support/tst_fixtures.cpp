// The test fixtures against the curl command line, a client that knows nothing of them.
#include "mapserver/demoserver.h"
#include "tests/support/fixtureserver.h"
#include "tests/support/recordingproxy.h"
#include "tests/support/tlsfixture.h"

#include <QProcess>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

// Prints the body, then "|" and the status; 000 when no answer came.
std::unique_ptr<QProcess> startCurl(const QStringList &arguments, const QStringList &environment = {})
{
    auto curl = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Only a row's own settings may steer curl.
    for (const char *name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY", "SSL_CERT_FILE",
                             "SSL_CERT_DIR", "CURL_CA_BUNDLE"})
        env.remove(QString::fromLatin1(name));
    for (const QString &setting : environment)
        env.insert(setting.section('=', 0, 0), setting.section('=', 1));
    curl->setProcessEnvironment(env);
    curl->start(QStringLiteral("curl"), QStringList{"-q", "--silent", "--max-time", "20", "--write-out", "|%{http_code}"} + arguments);
    return curl;
}

bool finished(const std::vector<std::unique_ptr<QProcess>> &curls)
{
    return std::all_of(curls.begin(), curls.end(), [](const auto &curl) { return curl->state() == QProcess::NotRunning; });
}

const QByteArray kBody = "scripted map bytes\r\n\r\nwith a blank line";

} // namespace

class TestFixtures : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void transfers_data();
    void transfers();
    void demoServerCountsConnections_data();
    void demoServerCountsConnections();

private:
    TestCertificates m_certificates;
    TlsFixtureServer m_tls{m_certificates};
    FixtureServer m_plain;
    RecordingProxy m_proxy;
};

void TestFixtures::initTestCase()
{
    QVERIFY2(m_certificates.isValid(), qPrintable(m_certificates.error()));
    // An unusual status shows the proxy relays the answer as it came.
    m_tls.responses["/m.gif"] = m_plain.responses["/m.gif"] = FixtureResponse{.status = 203, .body = kBody};
}

void TestFixtures::init()
{
    m_tls.paths.clear();
    m_plain.paths.clear();
    m_proxy.requests.clear();
}

void TestFixtures::transfers_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QStringList>("proxied");  // what the proxy recorded
    QTest::addColumn<QStringList>("served");   // what the fixture servers were asked for

    const QString ca = m_certificates.caFile(), proxy = m_proxy.proxyUrl();
    const QString tls = m_tls.url("/m.gif"), plain = m_plain.url("/m.gif");
    const QString tlsAuthority = QUrl(tls).authority();
    const QString gone = QStringLiteral("http://127.0.0.1:%1/m.gif").arg(FixtureServer::unusedPort());
    const QByteArray answer = kBody + "|203";

    QTest::newRow("tls, --cacert") << QStringList{"--cacert", ca, tls} << QStringList{} << answer << QStringList{} << QStringList{"/m.gif"};
    QTest::newRow("tls, SSL_CERT_FILE") << QStringList{tls} << QStringList{"SSL_CERT_FILE=" + ca} << answer << QStringList{} << QStringList{"/m.gif"};
    QTest::newRow("tls, untrusted") << QStringList{tls} << QStringList{} << QByteArray("|000") << QStringList{} << QStringList{};
    QTest::newRow("proxy, --proxy") << QStringList{"--proxy", proxy, plain} << QStringList{} << answer << QStringList{plain} << QStringList{"/m.gif"};
    QTest::newRow("proxy, http_proxy") << QStringList{plain} << QStringList{"http_proxy=" + proxy} << answer << QStringList{plain}
                                       << QStringList{"/m.gif"};
    QTest::newRow("proxy, CONNECT") << QStringList{"--proxy", proxy, "--cacert", ca, tls} << QStringList{} << answer
                                    << QStringList{"CONNECT " + tlsAuthority} << QStringList{"/m.gif"};
    QTest::newRow("proxy, upstream gone") << QStringList{"--proxy", proxy, gone} << QStringList{} << QByteArray("|502") << QStringList{gone}
                                          << QStringList{};
}

void TestFixtures::transfers()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(QByteArray, output);
    QFETCH(QStringList, proxied);
    QFETCH(QStringList, served);

    std::vector<std::unique_ptr<QProcess>> curls;
    curls.push_back(startCurl(arguments, environment));
    QTRY_VERIFY_WITH_TIMEOUT(finished(curls), 30000);
    QCOMPARE(curls[0]->readAllStandardOutput(), output);
    QCOMPARE(m_proxy.requests, proxied);
    QCOMPARE(m_plain.paths + m_tls.paths, served);
}

void TestFixtures::demoServerCountsConnections_data()
{
    QTest::addColumn<bool>("together");
    QTest::addColumn<int>("peak");
    QTest::newRow("three at once") << true << 3;
    QTest::newRow("three in turn") << false << 1;
}

void TestFixtures::demoServerCountsConnections()
{
    QFETCH(bool, together);
    QFETCH(int, peak);

    DemoMapServer server;
    QVERIFY(server.start());
    // Long enough that three curl processes starting on a busy machine overlap.
    server.setFault(QStringLiteral("*slow.gif"), Fault{.delayMs = 1000});
    const QString url = QStringLiteral("http://%1/slow.gif").arg(server.hostPort());
    std::vector<std::unique_ptr<QProcess>> curls;
    for (int i = 0; i < 3; ++i) {
        curls.push_back(startCurl({url}));
        if (!together) {
            QTRY_VERIFY_WITH_TIMEOUT(finished(curls), 30000);
            QTRY_COMPARE(server.openConnections(), 0);
        }
    }
    QTRY_VERIFY_WITH_TIMEOUT(finished(curls), 30000);
    QCOMPARE(server.requests().size(), 3);
    QCOMPARE(server.peakConnections(), peak);
    QTRY_COMPARE(server.openConnections(), 0);
    server.resetPeakConnections();
    QCOMPARE(server.peakConnections(), 0);
}

QTEST_MAIN(TestFixtures)
#include "tst_fixtures.moc"
