// The program killed outright in the middle of "Télécharger tout": the cache it leaves holds
// only whole maps, and the next start clears what the kill left and completes the cache.
#include "cacheaudit.h"

#include "mapserver/demoserver.h"
#include "tests/support/logreader.h"
#include "tests/support/transferenvironment.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int LastStep = 2;
constexpr int MapCount = 7 * (LastStep + 1);
constexpr int SlowMap = 10;  // index in fetch order of the map whose body trickles
constexpr int RunMs = 120000;

int mapsBegun(const QString &cacheDir)
{
    return int(readLogMessages(cacheDir + QStringLiteral("/log.txt")).filter(QStringLiteral("Télécharge : ")).size());
}

} // namespace

class TestKillPoints : public QObject {
    Q_OBJECT
    TransferEnvironment m_environment;
    DemoMapServer m_server;

    void startDriver(QProcess &driver, const QString &cacheDir)
    {
        driver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        driver.start(QStringLiteral(KILLDRIVER), {m_server.hostPort(), cacheDir, QString::number(LastStep)});
        QVERIFY2(driver.waitForStarted(20000), qPrintable(driver.errorString()));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        prerenderAndWait(m_server, LastStep);
    }

    void init() { m_server.clearFaults(); }

    void killed_data()
    {
        QTest::addColumn<int>("afterMaps");  // killed once this many maps are begun; -1: in the slow body
        QRandomGenerator random(15);
        for (int i = 0; i < 9; ++i) {
            const int n = int(random.bounded(1, MapCount + 1));
            QTest::addRow("after map %d's first log line (%d)", n, i) << n;
        }
        QTest::newRow("in the middle of a slow body") << -1;
    }
    void killed()
    {
        QFETCH(int, afterMaps);
        const QList<QPair<QString, QString>> maps = forecastMaps(LastStep);
        const QString slowPath = maps.at(SlowMap).second;
        // Every map a little late, so the kill lands while maps are under way.
        m_server.setFault(QStringLiteral("*.gif"), Fault{.delayMs = 40});
        if (afterMaps < 0) {
            // Over a second of body, yet above the low-speed limit the program runs with.
            const qsizetype size = m_server.mapBytes(slowPath).size();
            m_server.setFault(slowPath.section('/', -1), Fault{.trickleBytesPerSecond = int(qBound(qsizetype(1200), size / 3, qsizetype(1) << 20))});
        }
        m_server.clearRequests();
        QTemporaryDir cache;
        QProcess driver;
        startDriver(driver, cache.path());
        QDeadlineTimer deadline(RunMs);
        const auto reached = [&] {
            if (afterMaps > 0)
                return mapsBegun(cache.path()) >= afterMaps;
            return m_server.requests().contains(slowPath);
        };
        while (!reached() && driver.state() == QProcess::Running && !deadline.hasExpired())
            QTest::qWait(2);
        QVERIFY2(reached(), "the download never got there");
        if (afterMaps < 0)
            QTest::qWait(400);  // some of the body is in
        driver.kill();  // SIGKILL
        QVERIFY(driver.waitForFinished(20000));

        const AllowedMaps served = servedMaps(m_server, LastStep);
        const CacheAudit killedAt = auditCache(cache.path(), served);
        QCOMPARE(killedAt.wrong, QStringList());
        QCOMPARE(killedAt.strays, killedAt.temporaries());  // an unnamed temporary file leaves nothing
        qInfo("killed with %lld map(s) whole, %lld temporary file(s)", qint64(killedAt.whole.size()),
              qint64(killedAt.temporaries().size()));

        // The next start, without the fault.
        m_server.clearFaults();
        QProcess again;
        startDriver(again, cache.path());
        QVERIFY(again.waitForFinished(RunMs));
        QCOMPARE(again.exitStatus(), QProcess::NormalExit);
        QCOMPARE(again.exitCode(), 0);
        const CacheAudit after = auditCache(cache.path(), served);
        QCOMPARE(after.whole.size(), qsizetype(MapCount));
        QCOMPARE(after.strays, QStringList());
    }
};

QTEST_GUILESS_MAIN(TestKillPoints)
#include "tst_killpoints.moc"
