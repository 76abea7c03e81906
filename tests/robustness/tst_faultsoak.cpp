// "Télécharger tout" against the demonstration server while a third of the maps fail in
// every way a map server or the network can fail, then again without faults: the cache
// never holds a partial map and ends complete.
#include "cacheaudit.h"

#include "mapserver/demoserver.h"
#include "retrieval/retrievalservice.h"
#include "shell/messages.h"
#include "tests/support/logreader.h"
#include "tests/support/transferenvironment.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// Short enough for the soak to be quick, long enough for a loaded machine to serve a map.
constexpr int TimeoutMs = 5000;
constexpr int LowSpeedSeconds = 1;

struct FaultKind {
    const char *name;
    Fault fault;
    bool mapArrives;  // the map ends complete in the cache; otherwise it stays absent
};

const QList<FaultKind> &faultKinds()
{
    static const QList<FaultKind> kinds{
        {"refused connection", Fault{.refuse = true}, false},
        {"500", Fault{.status = 500}, false},
        {"404", Fault{.status = 404}, false},
        {"cut body", Fault{.cutAfter = 700}, false},
        {"cut, no Content-Length", Fault{.noContentLength = true, .cutAfter = 700}, false},
        {"delay", Fault{.delayMs = 500}, true},
        {"hang past the time-out", Fault{.hang = true}, false},
        {"trickle under the low-speed limit", Fault{.trickleBytesPerSecond = 300}, false},
    };
    return kinds;
}

// Steps 0..N; sanitizer builds ask for fewer.
int lastStep()
{
    bool ok = false;
    const int steps = qEnvironmentVariableIntValue("CARTAVENT_SOAK_STEPS", &ok);
    return ok && steps > 0 ? steps - 1 : 11;
}

} // namespace

class TestFaultSoak : public QObject {
    Q_OBJECT
    TransferEnvironment m_environment;
    DemoMapServer m_server;

private Q_SLOTS:
    void initTestCase()
    {
        Messages::set(int(Msg::Failures), QStringLiteral("%1 carte(s) en échec : %2"));
        Messages::set(int(Msg::StepDone), QStringLiteral("fini"));
        QVERIFY(m_server.start());
        prerenderAndWait(m_server, lastStep());
    }

    void downloadAllUnderFaults()
    {
        const QList<QPair<QString, QString>> maps = forecastMaps(lastStep());
        const AllowedMaps served = servedMaps(m_server, lastStep());
        // A third of the maps at a fixed seed, the kinds dealt in turn so that each one plays.
        QRandomGenerator random(20240615);
        QHash<QString, int> faultOf;  // cache name -> index in faultKinds()
        QList<qsizetype> order(maps.size());
        std::iota(order.begin(), order.end(), 0);
        std::shuffle(order.begin(), order.end(), random);
        for (qsizetype i = 0; i < maps.size() / 3; ++i) {
            const auto &[name, path] = maps.at(order.at(i));
            const int kind = int(i % faultKinds().size());
            faultOf.insert(name, kind);
            m_server.setFault(path.section('/', -1), faultKinds().at(kind).fault);
        }

        QTemporaryDir cache;
        const std::unique_ptr<RetrievalService> owned = serviceOn(m_server.hostPort(), cache.path());
        RetrievalService &service = *owned;
        service.setTimeouts(TimeoutMs, LowSpeedSeconds);
        QSignalSpy status(&service, &RetrievalService::statusText);
        MapBatch *pass = service.downloadAll(lastStep());
        QSignalSpy finished(pass, &MapBatch::finished);
        QVERIFY(finished.wait(150000));
        const int failures = pass->failures();

        // Every map whole or absent, nothing else left behind.
        const CacheAudit audit = auditCache(cache.path(), served);
        QCOMPARE(audit.wrong, QStringList());
        QCOMPARE(audit.strays, QStringList());

        // Each fault kind against what became of its maps.
        int expectedFailures = 0;
        for (const auto &[name, path] : maps) {
            const int kind = faultOf.value(name, -1);
            const bool expected = kind < 0 || faultKinds().at(kind).mapArrives;
            expectedFailures += expected ? 0 : 1;
            QVERIFY2(audit.whole.contains(name) == expected, qPrintable(name + (kind < 0 ? QString(" (no fault)") : QString(" (") + faultKinds().at(kind).name + ")")));
        }

        // The status line counts the failures and names the last one's reason; the log has each.
        QCOMPARE(failures, expectedFailures);
        QVERIFY(!pass->lastError().isEmpty());
        QCOMPARE(status.last().first().toString(), RetrievalService::failureText(failures, pass->lastError()));
        QCOMPARE(readLogMessages(cache.filePath("log.txt")).filter("ERREUR : ").size(), failures);

        // The event loop still turns, and nothing is left running.
        bool turned = false;
        QTimer::singleShot(0, &service, [&turned] { turned = true; });
        QTRY_VERIFY_WITH_TIMEOUT(turned, 5000);
        QTRY_VERIFY(!service.active());

        // Without faults, a second pass completes the cache.
        m_server.clearFaults();
        MapBatch *again = service.downloadAll(lastStep());
        QSignalSpy finishedAgain(again, &MapBatch::finished);
        QVERIFY(finishedAgain.wait(150000));
        QCOMPARE(again->failures(), 0);
        const CacheAudit after = auditCache(cache.path(), served);
        QCOMPARE(after.whole.size(), maps.size());
        QCOMPARE(after.strays, QStringList());
        QCOMPARE(status.last().first().toString(), msg(Msg::StepDone));
    }
};

QTEST_GUILESS_MAIN(TestFaultSoak)
#include "tst_faultsoak.moc"
