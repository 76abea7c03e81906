// The retrieval service against the demonstration map server, with its faults.
#include "mapserver/demoserver.h"
#include "retrieval/retrievalservice.h"
#include "shell/messages.h"
#include "tests/support/fixtureserver.h"
#include "tests/support/logreader.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QSet>
#include <QTimer>
#include <memory>

Q_DECLARE_METATYPE(Fault)

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

const QStringList stepZeroPaths{"/wz/pics/Rtavn061.gif", "/wz/pics/Rtavn065.gif", "/wz/pics/Rtavn064.gif",
                                "/wz/pics/Rtavn063.gif", "/wz/pics/Rtavn062.gif", "/wz/pics/Rtavn0611.gif",
                                "/wz/pics/Rtavn068.gif"};

} // namespace

class TestRetrievalService : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DemoMapServer> m_server;
    std::unique_ptr<RetrievalService> m_service;

    QString cache(const QString &name) const { return m_dir->filePath(name); }
    QStringList cacheFiles(const QString &filter = "*") const { return QDir(m_dir->path()).entryList({filter}, QDir::Files); }
    QStringList log() const { return readLogMessages(cache("log.txt")); }

    // A service on map server 2 and archive server 2, as after start-up.
    void makeService(const QStringList &hosts)
    {
        m_service = std::make_unique<RetrievalService>(m_dir->path(), hosts);
        m_service->servers().SwitchArchiveServer();
        m_service->servers().SwitchNormalServer();
        m_service->log().StartLog();
    }

    // Waits for a job's end; false when it did not end in time.
    template <typename Job>
    static bool finishes(Job *job)
    {
        if (job->isFinished())
            return true;
        QSignalSpy spy(job, &Job::finished);
        return spy.wait(20000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        for (int n = 0; n <= 100; ++n)
            Messages::set(n, QStringLiteral("m%1").arg(n));
        Messages::set(81, QStringLiteral("%1 failed: %2"));
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_server = std::make_unique<DemoMapServer>();
        QVERIFY(m_server->start());
        makeService({m_server->hostPort(), m_server->hostPort(), m_server->hostPort()});
    }

    void stepMaps_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("what");
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QStringList>("files");  // in fetch order
        QTest::addColumn<QString>("firstStatus");
        const QStringList stepZeroFiles{"p5000.png", "temp0.png", "prec0.png", "nebu0.png", "p8500.png", "orag0.png", "vent0.png"};
        QTest::newRow("all kinds, step 0") << 0 << 0 << stepZeroPaths << stepZeroFiles << "m47'+0h'";
        QTest::newRow("p850, step 3") << 3 << 4 << QStringList{"/wz/pics/Rtavn242.gif"} << QStringList{"p8503.png"} << "m51'+18h'";
        QTest::newRow("kind 8") << 0 << 8 << QStringList{} << QStringList{} << "m54";
    }
    // Each map stored whole and reported in fetch order, five log lines each, though the first
    // of the step is held back and ends last; the status names each map in its turn.
    void stepMaps()
    {
        QFETCH(int, step);
        QFETCH(int, what);
        QFETCH(QStringList, paths);
        QFETCH(QStringList, files);
        m_server->setFault("*Rtavn061.gif", Fault{.delayMs = 300});
        QSignalSpy status(m_service.get(), &RetrievalService::statusText);
        QVERIFY(finishes(m_service->GetNewModeles(step, what)));
        const QStringList asked = m_server->requests();
        QCOMPARE(QSet<QString>(asked.begin(), asked.end()), QSet<QString>(paths.begin(), paths.end()));
        for (int i = 0; i < files.size(); ++i)
            QCOMPARE(readFile(cache(files[i])), m_server->mapBytes(paths[i]));
        const QStringList lines = log();
        QCOMPARE(lines.first(), QStringLiteral("GetNewModeles : %1 carte : %2").arg(step).arg(what));
        QCOMPARE(lines.last(), QStringLiteral("Fin GetNewModels"));
        QCOMPARE(lines.size(), 2 + 5 * files.size());
        for (qsizetype i = 0, at = 1; i < files.size(); ++i, at += 5) {
            QVERIFY(lines.at(at).startsWith("Télécharge : ") && lines.at(at + 1).startsWith("Open URL : ")
                    && lines.at(at + 2).startsWith("Après Open URL: ") && lines.at(at + 4).startsWith("Fin de téléchargement"));
            QCOMPARE(lines.at(at + 3), "Ecrit : " + cache(files[i]));
        }
        QCOMPARE(status.size(), files.size() + 1);
        QTEST(status.first().first().toString(), "firstStatus");
        QCOMPARE(status.last().first().toString(), QStringLiteral("m54"));
    }

    // A failed map keeps the one in the cache, is logged with its number, and the status line
    // says it failed, never that all went well (every fault's cache state: tst_fetchqueue; every
    // fault of the demonstration server through the service: tst_faultsoak).
    void download_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<int>("error");  // 0: the map is stored
        QTest::newRow("whole map") << Fault{} << 0;
        QTest::newRow("404 page") << Fault{.status = 404} << int(HttpClient::ErrNotAMap);
        // The low-bandwidth switch is ticked while the answer is awaited.
        QTest::newRow("low-bandwidth switch") << Fault{.delayMs = 3000} << int(HttpClient::ErrCancelled);
    }
    void download()
    {
        QFETCH(Fault, fault);
        QFETCH(int, error);
        const QString file = cache("temp0.png");
        writeFile(file, "previous map");
        m_server->setFault("*Rtavn065.gif", fault);
        m_service->setTimeouts(1000, 30);
        if (fault.delayMs)
            QTimer::singleShot(200, m_service.get(), [this] { m_service->setLowBandwidth(true); });

        QSignalSpy progress(m_service.get(), &RetrievalService::progressChanged);
        QSignalSpy status(m_service.get(), &RetrievalService::statusText);
        QVERIFY(finishes(m_service->GetNewModeles(0, 1)));
        for (const QList<QVariant> &p : progress)  // without Content-Length the raw width runs far past the frame
            QVERIFY(p.at(1).toDouble() <= 1.0);
        QVERIFY(!progress.isEmpty() && !progress.last().at(0).toBool());
        const QStringList errors = log().filter("ERREUR : ");
        QCOMPARE(readFile(file), error ? QByteArray("previous map") : m_server->mapBytes(stepZeroPaths[1]));
        QCOMPARE(errors.size(), error ? 1 : 0);
        if (error) {
            QVERIFY2(errors.first().endsWith(QStringLiteral(" / %1").arg(error)), qPrintable(errors.first()));
            QVERIFY2(status.last().first().toString().startsWith("1 failed: "), qPrintable(status.last().first().toString()));
        } else {
            QCOMPARE(status.last().first().toString(), QStringLiteral("m54"));
        }
        QCOMPARE(cacheFiles(), (QStringList{"log.txt", "temp0.png"}));  // no temporary file left
        QVERIFY(!m_service->active());
    }

    // The service ends while a probe, a step and single maps are still on their way: the
    // jobs end with it and report to nothing, and no unfinished copy stays behind.
    void destroyedWhileJobsRun()
    {
        m_server->setFault("*", Fault{.delayMs = 300});
        m_service->ChercheModele();
        m_service->fetchMaps({{1, 1}, {1, 2}});
        QTest::qWait(50);
        m_service.reset();
        QTest::qWait(400);
        QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("*.png*")}, QDir::Files | QDir::Hidden), QStringList());
    }

    // Held at start-up: the request is logged and refused, nothing is asked for.
    void heldAtStartUp()
    {
        m_service->setHeld(true);
        QVERIFY(m_service->GetNewModeles(0, 1)->isFinished());
        QCOMPARE(log(), (QStringList{"GetNewModeles : 0 carte : 1",
                                     "Télécharge : " + m_service->servers().NormalServer + "Rtavn065.gif to " + cache("temp0.png"),
                                     "Fin GetNewModels"}));
        QVERIFY(m_server->requests().isEmpty());
    }

    void cacheCleanup()
    {
        for (const char *name : {"temp0.png", "vent12.png", "p500a19900315.gif", "notes.txt", "x.PNG", "temp0.png.aB3xY9"})
            writeFile(cache(name), "x");
        m_service->deletePngFiles();
        QCOMPARE(cacheFiles(), (QStringList{"log.txt", "notes.txt", "p500a19900315.gif", "temp0.png.aB3xY9", "x.PNG"}));
        m_service->removeStrayTemporaryFiles();  // what a transfer cut short by a crash leaves
        QCOMPARE(cacheFiles(), (QStringList{"log.txt", "notes.txt", "p500a19900315.gif", "x.PNG"}));
    }

    void probe()
    {
        // First start with an empty cache, map server 2 refusing: the probe on server 3, then step 0 there.
        makeService({m_server->hostPort(), QStringLiteral("127.0.0.1:%1").arg(FixtureServer::unusedPort()),
                     m_server->hostPort()});
        QSignalSpy status(m_service.get(), &RetrievalService::statusText);
        m_service->setHeld(true);
        QVERIFY(finishes(m_service->ChercheModele()));
        QVERIFY(!m_service->held());  // the probe is over: transfers may start
        QCOMPARE(m_service->servers().iNS, 3);
        const QStringList paths = QStringList(stepZeroPaths).replaceInStrings("/wz/pics/", "/pics/");
        const QStringList asked = m_server->requests();
        QCOMPARE(asked.first(), paths[1]);
        QCOMPARE(QSet<QString>(asked.begin() + 1, asked.end()), QSet<QString>(paths.begin(), paths.end()));
        QCOMPARE(cacheFiles("*.png").size(), 7);
        // The status named each server it tried.
        QVERIFY(status.contains(QList<QVariant>{QStringLiteral("m84") + m_server->hostPort()}));
        QCOMPARE(status.last().first().toString(), QStringLiteral("m67"));

        // The same run again: only the probe.
        m_server->clearRequests();
        QVERIFY(finishes(m_service->ChercheModele()));
        QCOMPARE(m_server->requests(), QStringList{paths[1]});

        // A new run empties the cache of its maps and fetches step 0.
        writeFile(cache("temp5.png"), "old run");
        writeFile(cache("p500a19900315.gif"), "archive");
        m_server->newRun();
        m_server->clearRequests();
        QVERIFY(finishes(m_service->ChercheModele()));
        QCOMPARE(m_server->requests().size(), 8);
        QCOMPARE(cacheFiles(), (QStringList{"log.txt", "nebu0.png", "orag0.png", "p5000.png", "p500a19900315.gif",
                                            "p8500.png", "prec0.png", "temp0.png", "vent0.png"}));
        QCOMPARE(readFile(cache("temp0.png")), m_server->mapBytes(paths[1]));

        // An error page instead of the probe map is no new run: message 78, the cache stays.
        m_server->setFault("*Rtavn065.gif", Fault{.status = 404});
        m_server->clearRequests();
        QSignalSpy boxes(m_service.get(), &RetrievalService::messageBox);
        QVERIFY(finishes(m_service->ChercheModele()));
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.first().first().toString(), QStringLiteral("m78"));
        QCOMPARE(m_server->requests().size(), 1);
        QCOMPARE(cacheFiles("*.png").size(), 7);
    }

    void probeWalksTheServers()
    {
        DemoMapServer one, two, three;
        QVERIFY(one.start() && two.start() && three.start());
        for (DemoMapServer *s : {&one, &two, &three})
            s->setFault("*", Fault{.hang = true});
        makeService({one.hostPort(), two.hostPort(), three.hostPort()});
        m_service->setTimeouts(200, 30);
        writeFile(cache("temp0.png"), "cached");
        QSignalSpy boxes(m_service.get(), &RetrievalService::messageBox);
        QVERIFY(finishes(m_service->ChercheModele()));
        // Servers 2, 3, 1, 2, 3: five attempts, then the program stays on server 1.
        QCOMPARE(QList<qsizetype>({one.requests().size(), two.requests().size(), three.requests().size()}),
                 QList<qsizetype>({1, 2, 2}));
        QCOMPARE(m_service->servers().iNS, 1);
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.first().first().toString(), QStringLiteral("m64"));
        QCOMPARE(readFile(cache("temp0.png")), QByteArray("cached"));
    }

    // Stop (or Échap) ends whatever runs; the cache keeps only complete maps.
    void cancelAll()
    {
        m_server->setFault("*.gif", Fault{.delayMs = 2000});
        MapBatch *pass = m_service->downloadAll(1);
        QVERIFY(m_service->busy());
        QTRY_VERIFY(m_service->queue().running() > 0);
        QSignalSpy status(m_service.get(), &RetrievalService::statusText);
        m_service->cancelAll();
        QVERIFY(finishes(pass));
        QTRY_VERIFY(!m_service->active());
        QCOMPARE(status.last().first().toString(), QStringLiteral("m85"));
        QCOMPARE(cacheFiles(), QStringList{"log.txt"});
    }
};

QTEST_GUILESS_MAIN(TestRetrievalService)
#include "tst_retrievalservice.moc"
