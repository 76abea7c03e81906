#include "core/downloadshare.h"
#include "core/kinds.h"

#include <QTest>

class TestKinds : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void forecastNames_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<qint64>("step");
        QTest::addColumn<QString>("number");  // empty: no map for that step
        QTest::addColumn<QString>("cacheName");
        const qint64 max = std::numeric_limits<qint64>::max();
        QTest::newRow("temp 0 pads to 3 digits") << "temp" << qint64(0) << "065" << "temp0.png";
        QTest::newRow("temp 15 stays 3 digits") << "temp" << qint64(15) << "965" << "temp15.png";
        QTest::newRow("temp 16 grows to 4 digits") << "temp" << qint64(16) << "1025" << "temp16.png";
        QTest::newRow("orag 0 pads to 4 digits") << "orag" << qint64(0) << "0611" << "orag0.png";
        QTest::newRow("beyond 32 bits") << "temp" << qint64(10000000000) << "600000000065" << "temp10000000000.png";
        QTest::newRow("negative") << "temp" << qint64(-1) << "" << "";
        QTest::newRow("orag overflow") << "orag" << max / 600 << "" << "orag" + QString::number(max / 600) + ".png";
        QTest::newRow("temp overflow") << "temp" << max << "" << "temp" + QString::number(max) + ".png";
    }
    void forecastNames()
    {
        QFETCH(QString, key);
        QFETCH(qint64, step);
        QFETCH(QString, number);
        const MapKind &kind = *kindByKey(key);
        QCOMPARE(mapNumber(kind, step), number);
        QCOMPARE(forecastMapFile(kind, step), number.isEmpty() ? QString() : "Rtavn" + number + ".gif");
        QTEST(forecastCacheName(kind, step), "cacheName");
    }

    void archiveNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const ArchiveLevel p500 = ArchiveLevel::P500, p850 = ArchiveLevel::P850;
        QTest::newRow("500 path") << archiveMapPath(p500, 1990, 3, 15) << "1990/Rrea00119900315.gif";
        QTest::newRow("850 path, padded") << archiveMapPath(p850, 1956, 1, 2) << "1956/Rrea00219560102.gif";
        QTest::newRow("850 cache, padded") << archiveCacheName(p850, 1956, 1, 2) << "p850a19560102.gif";
        QTest::newRow("impossible date kept") << archiveCacheName(p500, 2001, 2, 31) << "p500a20010231.gif";
    }
    void archiveNames()
    {
        QFETCH(QString, name);
        QTEST(name, "expected");
    }

    void downloadShare_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("maxStep");
        QTest::addColumn<QString>("caption");
        QTest::newRow("last map") << 3 << 7 << 3 << "100\u00A0%";
        QTest::newRow("half, no decimals") << 1 << 7 << 3 << "50\u00A0%";
        QTest::newRow("rounded to two decimals") << 0 << 1 << 2 << "4.76\u00A0%";
        QTest::newRow("half rounds down to even") << 0 << 7 << 31 << "3.12\u00A0%";
        QTest::newRow("half rounds up to even") << 2 << 7 << 31 << "9.38\u00A0%";
    }
    void downloadShare()
    {
        QFETCH(int, step);
        QFETCH(int, kind);
        QFETCH(int, maxStep);
        QTEST(downloadAllCaption(step, kind, maxStep, QLocale::c()), "caption");
    }
};

QTEST_GUILESS_MAIN(TestKinds)
#include "tst_kinds.moc"
