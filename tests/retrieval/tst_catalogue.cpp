#include "retrieval/catalogue.h"

#include <QTest>

class TestCatalogue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void kindTable_data();
    void kindTable();
    void kindLookupOutside();
    void mapNames_data();
    void mapNames();
    void stepsWithoutMap_data();
    void stepsWithoutMap();
    void archiveNames_data();
    void archiveNames();
    void joinPathSlash_data();
    void joinPathSlash();
    void serverBases_data();
    void serverBases();
    void normalRotation();
    void archiveRotation();
    void rotationWithMissingHosts();
};

void TestCatalogue::kindTable_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("message");
    QTest::newRow("temp") << 1 << "temp" << "Option1" << 5 << 48;
    QTest::newRow("prec") << 2 << "prec" << "Option3" << 4 << 49;
    QTest::newRow("nebu") << 3 << "nebu" << "Option2" << 3 << 50;
    QTest::newRow("p850") << 4 << "p850" << "Option4" << 2 << 51;
    QTest::newRow("orag") << 5 << "orag" << "Option5" << 11 << 52;
    QTest::newRow("p500") << 6 << "p500" << "Option6" << 1 << 47;
    QTest::newRow("vent") << 7 << "vent" << "Option7" << 8 << 53;
}

void TestCatalogue::kindTable()
{
    QFETCH(int, number);
    QFETCH(QString, key);
    const MapKind *kind = kindByNumber(number);
    QVERIFY(kind);
    QCOMPARE(kindByKey(key), kind);
    QCOMPARE(&mapKinds()[number - 1], kind);
    QCOMPARE(kind->number, number);
    QCOMPARE(QString::fromLatin1(kind->key), key);
    QTEST(QString::fromLatin1(kind->option), "option");
    QTEST(kind->code, "code");
    QTEST(kind->message, "message");
}

void TestCatalogue::kindLookupOutside()
{
    QCOMPARE(kindByNumber(0), nullptr);
    QCOMPARE(kindByNumber(8), nullptr);
    QCOMPARE(kindByNumber(-1), nullptr);
    QCOMPARE(kindByKey(QString()), nullptr);
    QCOMPARE(kindByKey("TEMP"), nullptr);
}

void TestCatalogue::mapNames_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<qint64>("step");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("cacheName");

    QTest::newRow("temp 0 pads to 3 digits") << "temp" << qint64(0) << "065" << "temp0.png";
    QTest::newRow("temp 15 stays 3 digits") << "temp" << qint64(15) << "965" << "temp15.png";
    QTest::newRow("temp 16 grows to 4 digits") << "temp" << qint64(16) << "1025" << "temp16.png";
    QTest::newRow("p500 12") << "p500" << qint64(12) << "781" << "p50012.png";
    QTest::newRow("vent 30") << "vent" << qint64(30) << "1868" << "vent30.png";
    QTest::newRow("prec 4") << "prec" << qint64(4) << "304" << "prec4.png";
    QTest::newRow("nebu 5") << "nebu" << qint64(5) << "363" << "nebu5.png";
    QTest::newRow("nebu 15") << "nebu" << qint64(15) << "963" << "nebu15.png";
    QTest::newRow("p850 0") << "p850" << qint64(0) << "062" << "p8500.png";
    QTest::newRow("orag 0 pads to 4 digits") << "orag" << qint64(0) << "0611" << "orag0.png";
    QTest::newRow("orag 3") << "orag" << qint64(3) << "2411" << "orag3.png";
    QTest::newRow("orag 16 grows to 5 digits") << "orag" << qint64(16) << "10211" << "orag16.png";
    // Beyond 32 bits: 6 * (10^9 + 1) * 100 + 11.
    QTest::newRow("orag huge step") << "orag" << qint64(1000000000) << "600000000611" << "orag1000000000.png";
    QTest::newRow("temp huge step") << "temp" << qint64(10000000000) << "600000000065" << "temp10000000000.png";
}

void TestCatalogue::mapNames()
{
    QFETCH(QString, key);
    QFETCH(qint64, step);
    QFETCH(QString, number);
    const MapKind *kind = kindByKey(key);
    QVERIFY(kind);
    QCOMPARE(mapNumber(*kind, step), number);
    QCOMPARE(forecastMapFile(*kind, step), "Rtavn" + number + ".gif");
    QTEST(forecastCacheName(*kind, step), "cacheName");
}

void TestCatalogue::stepsWithoutMap_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<qint64>("step");
    QTest::newRow("negative") << "temp" << qint64(-1);
    QTest::newRow("orag overflow") << "orag" << std::numeric_limits<qint64>::max() / 600;
    QTest::newRow("temp overflow") << "temp" << std::numeric_limits<qint64>::max();
}

void TestCatalogue::stepsWithoutMap()
{
    QFETCH(QString, key);
    QFETCH(qint64, step);
    const MapKind *kind = kindByKey(key);
    QVERIFY(kind);
    QCOMPARE(mapNumber(*kind, step), QString());
    QCOMPARE(forecastMapFile(*kind, step), QString());
    if (step < 0)
        QCOMPARE(forecastCacheName(*kind, step), QString());
}

void TestCatalogue::archiveNames_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("cacheName");
    const int p500 = int(ArchiveLevel::P500), p850 = int(ArchiveLevel::P850);
    QTest::newRow("500 1990") << p500 << 1990 << 3 << 15 << "1990/Rrea00119900315.gif" << "p500a19900315.gif";
    QTest::newRow("850 1990") << p850 << 1990 << 3 << 15 << "1990/Rrea00219900315.gif" << "p850a19900315.gif";
    QTest::newRow("month and day padded") << p500 << 1956 << 1 << 2 << "1956/Rrea00119560102.gif" << "p500a19560102.gif";
    QTest::newRow("two-digit month and day") << p850 << 2005 << 12 << 31 << "2005/Rrea00220051231.gif" << "p850a20051231.gif";
    QTest::newRow("impossible date kept") << p500 << 2001 << 2 << 31 << "2001/Rrea00120010231.gif" << "p500a20010231.gif";
}

void TestCatalogue::archiveNames()
{
    QFETCH(int, level);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QTEST(archiveMapPath(ArchiveLevel(level), year, month, day), "path");
    QTEST(archiveCacheName(ArchiveLevel(level), year, month, day), "cacheName");
}

void TestCatalogue::joinPathSlash_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("joined");
    QTest::newRow("plain") << "/tmp/cache" << "/tmp/cache/temp0.png";
    QTest::newRow("trailing slash") << "/tmp/cache/" << "/tmp/cache/temp0.png";
}

void TestCatalogue::joinPathSlash()
{
    QFETCH(QString, folder);
    QTEST(joinPath(folder, "temp0.png"), "joined");
}

void TestCatalogue::serverBases_data()
{
    QTest::addColumn<bool>("archive");
    QTest::addColumn<int>("server");
    QTest::addColumn<QString>("base");
    QTest::newRow("map 1") << false << 1 << "http://h1:81/wz/pics/";
    QTest::newRow("map 2") << false << 2 << "http://h2:82/wz/pics/";
    QTest::newRow("map 3") << false << 3 << "http://h3:83/pics/";
    QTest::newRow("archive 1") << true << 1 << "http://h3:83/archive/ra/";
    QTest::newRow("archive 2") << true << 2 << "http://h2:82/archive/ra/";
}

void TestCatalogue::serverBases()
{
    QFETCH(bool, archive);
    QFETCH(int, server);
    Servers servers;
    servers.hosts = QStringList{"h1:81", "h2:82", "h3:83"};
    QTEST(archive ? servers.archiveServerBase(server) : servers.mapServerBase(server), "base");
}

void TestCatalogue::normalRotation()
{
    Servers servers;
    servers.hosts = QStringList{"h1", "h2", "h3"};
    QVERIFY(servers.NormalServer.isEmpty());
    // Start-up's one call, then the moves of five failed probes.
    const QList<int> expected{2, 3, 1, 2, 3, 1};
    for (int i = 0; i < expected.size(); ++i) {
        servers.SwitchNormalServer();
        QCOMPARE(servers.iNS, expected[i]);
        QCOMPARE(servers.NormalServer, servers.mapServerBase(expected[i]));
    }
    // The address of a map on the server reached.
    servers.SwitchNormalServer();
    QCOMPARE(servers.NormalServer + forecastMapFile(*kindByKey("temp"), 0), "http://h2/wz/pics/Rtavn065.gif");

    // A value outside 1..3 goes back to server 1.
    servers.iNS = 7;
    servers.SwitchNormalServer();
    QCOMPARE(servers.iNS, 1);
    QCOMPARE(servers.NormalServer, QString("http://h1/wz/pics/"));
}

void TestCatalogue::archiveRotation()
{
    Servers servers;
    servers.hosts = QStringList{"h1", "h2", "h3"};
    const QList<int> expected{2, 1, 2, 1};
    for (int i = 0; i < expected.size(); ++i) {
        servers.SwitchArchiveServer();
        QCOMPARE(servers.iAS, expected[i]);
        QCOMPARE(servers.ArchiveServer, servers.archiveServerBase(expected[i]));
    }
    QCOMPARE(servers.ArchiveServer + archiveMapPath(ArchiveLevel::P850, 1990, 3, 15),
             "http://h3/archive/ra/1990/Rrea00219900315.gif");
}

void TestCatalogue::rotationWithMissingHosts()
{
    Servers servers;  // no hosts at all
    servers.SwitchArchiveServer();
    servers.SwitchNormalServer();
    QCOMPARE(servers.iAS, 2);
    QCOMPARE(servers.iNS, 2);
    QCOMPARE(servers.NormalServer, QString("http:///wz/pics/"));
    QCOMPARE(servers.ArchiveServer, QString("http:///archive/ra/"));
    servers.SwitchNormalServer();
    QCOMPARE(servers.NormalServer, QString("http:///pics/"));
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
