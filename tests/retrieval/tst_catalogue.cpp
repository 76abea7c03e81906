#include "retrieval/catalogue.h"

#include <QTest>

class TestCatalogue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The first switch is start-up's; each later one is a failed probe.
    void rotation_data()
    {
        QTest::addColumn<bool>("archive");
        QTest::addColumn<QStringList>("bases");  // after each switch
        QTest::newRow("map servers") << false
                                     << QStringList{"http://h2:82/wz/pics/", "http://h3:83/pics/", "http://h1:81/wz/pics/",
                                                    "http://h2:82/wz/pics/", "http://h3:83/pics/", "http://h1:81/wz/pics/"};
        QTest::newRow("archive servers") << true
                                         << QStringList{"http://h2:82/archive/ra/", "http://h3:83/archive/ra/",
                                                        "http://h2:82/archive/ra/"};
    }
    void rotation()
    {
        QFETCH(bool, archive);
        QFETCH(QStringList, bases);
        Servers servers;
        servers.hosts = QStringList{"h1:81", "h2:82", "h3:83"};
        for (const QString &base : bases) {
            archive ? servers.SwitchArchiveServer() : servers.SwitchNormalServer();
            QCOMPARE(archive ? servers.ArchiveServer : servers.NormalServer, base);
        }
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
