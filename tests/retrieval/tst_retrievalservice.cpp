// The retrieval service against the demonstration map server, with its faults.
#include "mapserver/demoserver.h"
#include "retrieval/retrievalservice.h"
#include "retrieval/runcommands.h"
#include "shell/messages.h"
#include "tests/support/logreader.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();  // closed again when probe goes out of scope
}

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestRetrievalService : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DemoMapServer> m_server;
    std::unique_ptr<RetrievalService> m_service;

    QString cache(const QString &name) const { return m_dir->filePath(name); }
    QStringList log() const { return readLogMessages(cache(QStringLiteral("log.txt"))); }

    // A service on map server 2 and archive server 2, as after start-up.
    void makeService(const QStringList &hosts)
    {
        m_service = std::make_unique<RetrievalService>(m_dir->path(), hosts);
        m_service->servers().SwitchArchiveServer();
        m_service->servers().SwitchNormalServer();
        m_service->log().StartLog();
        m_service->Inet1()->setRequestTimeoutMs(5000);
    }
    QStringList demoHosts() const { return {m_server->hostPort(), m_server->hostPort(), m_server->hostPort()}; }
    QString mapUrl(const QString &file) const { return m_service->servers().NormalServer + file; }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        for (int n = 0; n <= 100; ++n)
            Messages::set(n, QStringLiteral("m%1").arg(n));
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_server = std::make_unique<DemoMapServer>();
        QVERIFY(m_server->start());
        makeService(demoHosts());
    }

    void cleanup()
    {
        m_service.reset();
        m_server.reset();
        m_dir.reset();
    }

    void stepMapsComeInFetchOrder()
    {
        QSignalSpy status(m_service.get(), &RetrievalService::statusText);
        m_service->GetNewModeles(0, 0);
        const QStringList expected = {"/wz/pics/Rtavn061.gif", "/wz/pics/Rtavn065.gif", "/wz/pics/Rtavn064.gif",
                                      "/wz/pics/Rtavn063.gif", "/wz/pics/Rtavn062.gif", "/wz/pics/Rtavn0611.gif",
                                      "/wz/pics/Rtavn068.gif"};
        QCOMPARE(m_server->requests(), expected);
        const QStringList files = {"p5000.png", "temp0.png", "prec0.png", "nebu0.png", "p8500.png", "orag0.png", "vent0.png"};
        for (int i = 0; i < files.size(); ++i)
            QCOMPARE(readFile(cache(files[i])), m_server->mapBytes(expected[i]));
        QCOMPARE(status.count(), 8);
        QCOMPARE(status.first().first().toString(), QStringLiteral("m47'+0h'"));
        QCOMPARE(status.last().first().toString(), QStringLiteral("m54"));
    }

    void oneKindOrNone_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("what");
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("p850 step 3") << 3 << 4 << QStringList{"/wz/pics/Rtavn242.gif"} << QStringList{"p8503.png"};
        QTest::newRow("storm step 2") << 2 << 5 << QStringList{"/wz/pics/Rtavn1811.gif"} << QStringList{"orag2.png"};
        QTest::newRow("kind 9") << 0 << 9 << QStringList{} << QStringList{};
        QTest::newRow("kind -1") << 0 << -1 << QStringList{} << QStringList{};
    }
    void oneKindOrNone()
    {
        QFETCH(int, step);
        QFETCH(int, what);
        QFETCH(QStringList, paths);
        QFETCH(QStringList, files);
        QSignalSpy status(m_service.get(), &RetrievalService::statusText);
        m_service->GetNewModeles(step, what);
        QCOMPARE(m_server->requests(), paths);
        for (const QString &f : files)
            QVERIFY(QFile::exists(cache(f)));
        const QStringList lines = log();
        QCOMPARE(lines.first(), QStringLiteral("GetNewModeles : %1 carte : %2").arg(step).arg(what));
        QCOMPARE(lines.last(), QStringLiteral("Fin GetNewModels"));
        QCOMPARE(status.last().first().toString(), QStringLiteral("m54"));
        if (paths.isEmpty())
            QCOMPARE(lines.size(), 2);
    }

    void downloadLogsEveryPhase()
    {
        const QString url = mapUrl(QStringLiteral("Rtavn065.gif"));
        const QString file = cache(QStringLiteral("temp0.png"));
        m_service->Download(url, file);
        const QString tail = url + QStringLiteral(" to ") + file;
        QCOMPARE(log(), (QStringList{"Télécharge : " + tail, "Open URL : " + tail, "Après Open URL: " + tail,
                                     "Ecrit : " + file, "Fin de téléchargement de " + url}));
        QCOMPARE(readFile(file), m_server->mapBytes(QStringLiteral("/wz/pics/Rtavn065.gif")));
        QVERIFY(!m_service->Downloading);
    }

    void refusedWhileBusy()
    {
        m_service->Downloading = true;
        const QString url = mapUrl(QStringLiteral("Rtavn065.gif"));
        m_service->Download(url, cache(QStringLiteral("temp0.png")));
        QCOMPARE(log().size(), 1);
        QVERIFY(log().first().startsWith(QStringLiteral("Télécharge : ")));
        QVERIFY(m_server->requests().isEmpty());
        QVERIFY(!QFile::exists(cache(QStringLiteral("temp0.png"))));
        QVERIFY(m_service->Downloading);
    }

    // Whatever goes wrong, the map already in the cache stays as it was and nothing partial remains.
    void failedTransferKeepsPreviousFile_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<int>("error");
        Fault notFound;
        notFound.status = 404;
        Fault serverError;
        serverError.status = 500;
        Fault cut;
        cut.cutAfter = 1500;
        Fault refused;
        refused.refuse = true;
        QTest::newRow("404 page") << notFound << int(HttpClient::ErrNotAMap);
        QTest::newRow("500 page") << serverError << int(HttpClient::ErrNotAMap);
        QTest::newRow("body cut") << cut << int(HttpClient::ErrTransfer);
        QTest::newRow("refused") << refused << -1;
    }
    void failedTransferKeepsPreviousFile()
    {
        QFETCH(Fault, fault);
        QFETCH(int, error);
        const QString file = cache(QStringLiteral("temp0.png"));
        writeFile(file, "previous map");
        m_server->setFault(QStringLiteral("*Rtavn065.gif"), fault);
        m_service->Download(mapUrl(QStringLiteral("Rtavn065.gif")), file);
        QCOMPARE(readFile(file), QByteArray("previous map"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), (QStringList{"log.txt", "temp0.png"}));
        const QStringList errors = log().filter(QStringLiteral("ERREUR : "));
        QCOMPARE(errors.size(), 1);
        if (error > 0)
            QVERIFY2(errors.first().endsWith(QStringLiteral(" / %1").arg(error)), qPrintable(errors.first()));
        QVERIFY(!m_service->Downloading);
    }

    void bodyWithoutLengthIsStored()
    {
        Fault fault;
        fault.noContentLength = true;
        m_server->setFault(QStringLiteral("*"), fault);
        m_service->Download(mapUrl(QStringLiteral("Rtavn068.gif")), cache(QStringLiteral("vent0.png")));
        QCOMPARE(readFile(cache(QStringLiteral("vent0.png"))), m_server->mapBytes(QStringLiteral("/wz/pics/Rtavn068.gif")));
        QVERIFY(log().filter(QStringLiteral("ERREUR")).isEmpty());
    }

    void progressNeverPassesItsFrame()
    {
        Fault fault;
        fault.noContentLength = true;  // announced length 0: the raw width would grow far past the frame
        m_server->setFault(QStringLiteral("*"), fault);
        QSignalSpy progress(m_service.get(), &RetrievalService::progressChanged);
        m_service->Download(mapUrl(QStringLiteral("Rtavn065.gif")), cache(QStringLiteral("temp0.png")));
        QVERIFY(progress.count() >= 3);
        for (const QList<QVariant> &p : progress)
            QVERIFY(p.at(1).toDouble() <= 1.0);
        QCOMPARE(progress.last().at(0).toBool(), false);
    }

    void oversizedBodyIsAbandoned()
    {
        m_service->Inet1()->setMaxBodySize(1000);
        const QString file = cache(QStringLiteral("temp0.png"));
        m_service->Download(mapUrl(QStringLiteral("Rtavn065.gif")), file);
        QVERIFY(!QFile::exists(file));
        QVERIFY(log().filter(QStringLiteral("ERREUR")).first().endsWith(QString::number(HttpClient::ErrTooLarge)));
    }

    void timeoutEndsTheTransfer()
    {
        Fault hang;
        hang.hang = true;
        m_server->setFault(QStringLiteral("*"), hang);
        m_service->Inet1()->setRequestTimeoutMs(300);
        m_service->Download(mapUrl(QStringLiteral("Rtavn065.gif")), cache(QStringLiteral("temp0.png")));
        QVERIFY(!QFile::exists(cache(QStringLiteral("temp0.png"))));
        QVERIFY(log().filter(QStringLiteral("ERREUR")).first().endsWith(QString::number(HttpClient::ErrTimeout)));
        QVERIFY(!m_service->Downloading);
    }

    void lowBandwidthSwitchCancelsTransfer()
    {
        Fault slow;
        slow.delayMs = 3000;
        m_server->setFault(QStringLiteral("*"), slow);
        const QString file = cache(QStringLiteral("temp0.png"));
        writeFile(file, "previous map");
        QTimer::singleShot(200, m_service.get(), [this] { m_service->setLowBandwidth(true); });
        m_service->Download(mapUrl(QStringLiteral("Rtavn065.gif")), file);
        QCOMPARE(readFile(file), QByteArray("previous map"));
        QCOMPARE(m_service->Inet1()->requestTimeoutMs(), 60000);
        m_service->setLowBandwidth(false);
        QCOMPARE(m_service->Inet1()->requestTimeoutMs(), 8000);
    }

    void deleteRunRemovesOnlyMaps()
    {
        for (const char *name : {"temp0.png", "vent12.png", "p500a19900315.gif", "notes.txt", "x.PNG"})
            writeFile(cache(name), "x");
        m_service->deletePngFiles();
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
                 (QStringList{"log.txt", "notes.txt", "p500a19900315.gif", "x.PNG"}));
    }

    void strayTemporaryFilesAreRemoved()
    {
        for (const char *name : {"temp0.png.aB3xY9", "p500a19900315.gif.Qw12Er", "temp0.png", "notes.txt.abcdef"})
            writeFile(cache(name), "x");
        m_service->removeStrayTemporaryFiles();
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), (QStringList{"log.txt", "notes.txt.abcdef", "temp0.png"}));
    }

    void firstStartFetchesStepZero()
    {
        QSignalSpy status(m_service.get(), &RetrievalService::statusText);
        m_service->ChercheModele();
        QCOMPARE(m_server->requests().size(), 8);
        QCOMPARE(m_server->requests().first(), QStringLiteral("/wz/pics/Rtavn065.gif"));
        QCOMPARE(QDir(m_dir->path()).entryList({"*.png"}, QDir::Files).size(), 7);
        QCOMPARE(status.first().first().toString(), QStringLiteral("m63"));
        QVERIFY(status.contains(QList<QVariant>{QStringLiteral("m66")}));
        QCOMPARE(status.last().first().toString(), QStringLiteral("m67"));
        QVERIFY(!m_service->Downloading);
    }

    void unchangedRunFetchesNothing()
    {
        m_service->ChercheModele();
        m_server->clearRequests();
        m_service->ChercheModele();
        QCOMPARE(m_server->requests(), QStringList{"/wz/pics/Rtavn065.gif"});
    }

    void newRunReplacesTheCache()
    {
        m_service->ChercheModele();
        writeFile(cache(QStringLiteral("temp5.png")), "old run");
        writeFile(cache(QStringLiteral("p500a19900315.gif")), "archive");
        m_server->newRun();
        m_server->clearRequests();
        m_service->ChercheModele();
        QCOMPARE(m_server->requests().size(), 8);
        QVERIFY(!QFile::exists(cache(QStringLiteral("temp5.png"))));
        QVERIFY(QFile::exists(cache(QStringLiteral("p500a19900315.gif"))));
        QCOMPARE(readFile(cache(QStringLiteral("temp0.png"))), m_server->mapBytes(QStringLiteral("/wz/pics/Rtavn065.gif")));
    }

    void probeWalksTheServers()
    {
        DemoMapServer one, two, three;
        QVERIFY(one.start() && two.start() && three.start());
        // A silent server: each attempt is one request (a closed connection would be retried by Qt).
        Fault hang;
        hang.hang = true;
        for (DemoMapServer *s : {&one, &two, &three})
            s->setFault(QStringLiteral("*"), hang);
        makeService({one.hostPort(), two.hostPort(), three.hostPort()});
        m_service->Inet1()->setRequestTimeoutMs(200);
        writeFile(cache(QStringLiteral("temp0.png")), "cached");
        QSignalSpy boxes(m_service.get(), &RetrievalService::messageBox);
        QSignalSpy status(m_service.get(), &RetrievalService::statusText);
        m_service->ChercheModele();
        // Servers 2, 3, 1, 2, 3: five attempts, then the program stays on server 1.
        QCOMPARE(one.requests().size(), 1);
        QCOMPARE(two.requests().size(), 2);
        QCOMPARE(three.requests().size(), 2);
        QCOMPARE(m_service->servers().iNS, 1);
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.first().first().toString(), QStringLiteral("m64"));
        QCOMPARE(status.last().first().toString(), QStringLiteral("m65"));
        QCOMPARE(readFile(cache(QStringLiteral("temp0.png"))), QByteArray("cached"));
        QVERIFY(!m_service->Downloading);
    }

    void secondServerAnswers()
    {
        makeService({m_server->hostPort(), QStringLiteral("127.0.0.1:%1").arg(closedPort()), m_server->hostPort()});
        m_service->ChercheModele();
        QCOMPARE(m_service->servers().iNS, 3);
        QCOMPARE(m_server->requests().first(), QStringLiteral("/pics/Rtavn065.gif"));
        QCOMPARE(m_server->requests().size(), 8);
    }

    void errorPageDoesNotWipeTheCache()
    {
        m_service->ChercheModele();
        m_server->clearRequests();
        Fault notFound;
        notFound.status = 404;
        m_server->setFault(QStringLiteral("*Rtavn065.gif"), notFound);
        QSignalSpy boxes(m_service.get(), &RetrievalService::messageBox);
        m_service->ChercheModele();
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.first().first().toString(), QStringLiteral("m78"));
        QCOMPARE(m_server->requests().size(), 1);
        QCOMPARE(QDir(m_dir->path()).entryList({"*.png"}, QDir::Files).size(), 7);
        QVERIFY(!m_service->Downloading);
    }

    void downloadAllCaptions_data()
    {
        QTest::addColumn<int>("s");
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("french");
        QTest::newRow("seventh of 49") << 0 << 7 << 6 << "14.29 %" << "14,29 %";
        QTest::newRow("last") << 30 << 7 << 30 << "100 %" << "100 %";
        QTest::newRow("half") << 0 << 7 << 1 << "50 %" << "50 %";
        QTest::newRow("first of 217") << 0 << 1 << 30 << "0.46 %" << "0,46 %";
    }
    void downloadAllCaptions()
    {
        QFETCH(int, s);
        QFETCH(int, k);
        QFETCH(int, n);
        QFETCH(QString, english);
        QFETCH(QString, french);
        QCOMPARE(downloadAllCaption(s, k, n, QLocale(QLocale::English)), english);
        QCOMPARE(downloadAllCaption(s, k, n, QLocale(QLocale::French)), french);
    }
};

QTEST_GUILESS_MAIN(TestRetrievalService)
#include "tst_retrievalservice.moc"
