// The archive maps kept under their size limit, the least recently shown going first.
#include "mapserver/demoserver.h"
#include "retrieval/archivecache.h"
#include "retrieval/retrievalservice.h"
#include "tests/support/logreader.h"
#include "tests/support/transferenvironment.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct CacheFile {
    QString name;
    qsizetype size;
    int shownMinutesAgo;
};

bool put(const QString &folder, const CacheFile &f)
{
    QFile file(QDir(folder).filePath(f.name));
    // Flushed before the time is set: a write left in the buffer would make the file new again.
    return file.open(QIODevice::WriteOnly) && file.write(QByteArray(f.size, 'x')) == f.size && file.flush()
           && file.setFileTime(QDateTime::currentDateTime().addSecs(-60 * f.shownMinutesAgo), QFileDevice::FileModificationTime);
}

QStringList files(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

} // namespace

Q_DECLARE_METATYPE(QList<CacheFile>)

class TestArchiveCache : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void prune_data()
    {
        QTest::addColumn<QList<CacheFile>>("cache");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<QStringList>("keep");
        QTest::addColumn<QStringList>("left");
        const QList<CacheFile> three{{"p500a19900315.gif", 100, 30}, {"p850a19900315.gif", 100, 10}, {"p500a20011224.gif", 100, 20}};
        QTest::newRow("under the limit") << three << qint64(300) << QStringList{}
                                         << QStringList{"p500a19900315.gif", "p500a20011224.gif", "p850a19900315.gif"};
        QTest::newRow("over it, the least recently shown first") << three << qint64(150) << QStringList{} << QStringList{"p850a19900315.gif"};
        QTest::newRow("forecast maps and other files never")
            << QList<CacheFile>{{"temp0.png", 5000, 99}, {"log.txt", 5000, 99}, {"p500a19900315.gif", 100, 1},
                                {"p500a19900315.gif.aB3xY9", 100, 99}, {"p700a19900315.gif", 100, 99}, {"p500a1990.gif", 100, 99}}
            << qint64(0) << QStringList{}
            << QStringList{"log.txt", "p500a1990.gif", "p500a19900315.gif.aB3xY9", "p700a19900315.gif", "temp0.png"};
        QTest::newRow("the kept maps never, even over the limit on their own")
            << three << qint64(0) << QStringList{"p500a19900315.gif", "p850a19900315.gif"}
            << QStringList{"p500a19900315.gif", "p850a19900315.gif"};
    }
    void prune()
    {
        QFETCH(QList<CacheFile>, cache);
        QFETCH(qint64, limit);
        QFETCH(QStringList, keep);
        QFETCH(QStringList, left);
        QTemporaryDir dir;
        for (const CacheFile &f : cache)
            QVERIFY(put(dir.path(), f));
        const int before = int(files(dir.path()).size());
        QCOMPARE(ArchiveCache::prune(dir.path(), limit, keep), before - int(left.size()));
        QCOMPARE(files(dir.path()), left);
    }

    void setting_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("bytes");
        const qint64 MiB = 1024 * 1024, byDefault = 200 * MiB;
        QTest::newRow("missing") << QString() << byDefault;
        QTest::newRow("whole number") << "50" << 50 * MiB;
        QTest::newRow("fraction") << "0.5" << MiB / 2;
        QTest::newRow("with its unit, read leniently") << "300 Mo" << 300 * MiB;
        QTest::newRow("garbage") << "beaucoup" << byDefault;
        QTest::newRow("zero") << "0" << byDefault;
        QTest::newRow("absurd") << "1e12" << byDefault;
        QTest::newRow("not a number") << "nan" << byDefault;
    }
    void setting()
    {
        QFETCH(QString, text);
        QTEST(ArchiveCache::limitFromSetting(text), "bytes");
    }

    // An archive map fetched through the service: stored, then the oldest shown go, the map
    // on screen stays though it was stored first, and the log says how many went.
    void afterAnArchiveFetch()
    {
        TransferEnvironment environment;
        QTemporaryDir dir;
        DemoMapServer server;
        QVERIFY(server.start());
        RetrievalService service(dir.path(), {server.hostPort(), server.hostPort(), server.hostPort()});
        service.servers().SwitchArchiveServer();
        service.log().StartLog();
        const QByteArray map = server.mapBytes(QStringLiteral("/archive/ra/1990/Rrea00119900315.gif"));
        QVERIFY(!map.isEmpty());
        for (const CacheFile &f : QList<CacheFile>{{"p850a19560101.gif", 1000, 90}, {"p850a19560102.gif", 1000, 60},
                                                   {"p850a19560103.gif", 1000, 30}, {"temp0.png", 9000, 99}})
            QVERIFY(put(dir.path(), f));
        service.noteArchiveShown(QStringLiteral("p850a19560101.gif"));
        service.setArchiveLimit(map.size() + 2000);

        MapBatch *batch = service.fetchArchive(ArchiveLevel::P500, 1990, 3, 15);
        QSignalSpy finished(batch, &MapBatch::finished);
        QVERIFY(finished.wait(20000));
        QCOMPARE(files(dir.path()), (QStringList{"log.txt", "p500a19900315.gif", "p850a19560101.gif", "p850a19560103.gif", "temp0.png"}));
        QCOMPARE(readLogMessages(dir.filePath("log.txt")).last(), QStringLiteral("Archives : 1 carte(s) supprimée(s)"));
    }
};

QTEST_GUILESS_MAIN(TestArchiveCache)
#include "tst_archivecache.moc"
