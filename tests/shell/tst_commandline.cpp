#include "shell/commandline.h"

#include <QTest>

class TstCommandLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void deleteAll_data();
    void deleteAll();
    void options_data();
    void options();
    void usageNamesEveryOption();
};

void TstCommandLine::deleteAll_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("expected");
    QTest::newRow("none") << QStringList() << false;
    QTest::newRow("word") << QStringList{"deleteall"} << true;
    QTest::newRow("inside a longer word") << QStringList{"xxdeleteallyy"} << true;
    QTest::newRow("after other words") << QStringList{"--cache-dir", "/tmp/c", "deleteall"} << true;
    QTest::newRow("capitals") << QStringList{"DELETEALL"} << false;
    QTest::newRow("mixed case") << QStringList{"DeleteAll"} << false;
    QTest::newRow("split over two words") << QStringList{"delete", "all"} << false;
    QTest::newRow("inside an option value") << QStringList{"--cache-dir=/tmp/deleteall"} << true;
}

void TstCommandLine::deleteAll()
{
    QFETCH(QStringList, args);
    QFETCH(bool, expected);
    QCOMPARE(parseCommandLine(args).deleteAll, expected);
}

void TstCommandLine::options_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("hosts");
    QTest::addColumn<QString>("cacheDir");
    QTest::addColumn<QString>("screenshot");
    QTest::addColumn<bool>("help");
    QTest::addColumn<bool>("version");
    QTest::addColumn<int>("problems");

    const QStringList three{"a:1", "b:2", "c:3"};
    QTest::newRow("nothing") << QStringList() << QStringList() << "" << "" << false << false << 0;
    QTest::newRow("hosts separate") << QStringList{"--hosts", "a:1,b:2,c:3"} << three << "" << "" << false << false << 0;
    QTest::newRow("hosts with equals") << QStringList{"--hosts=a:1,b:2,c:3"} << three << "" << "" << false << false << 0;
    QTest::newRow("hosts blanks trimmed") << QStringList{"--hosts", " a:1 , b:2,c:3 "} << three << "" << ""
                                          << false << false << 0;
    QTest::newRow("hosts keep positions") << QStringList{"--hosts", "a:1,,c:3"} << QStringList{"a:1", "", "c:3"}
                                          << "" << "" << false << false << 0;
    QTest::newRow("one host") << QStringList{"--hosts", "a:1"} << QStringList{"a:1"} << "" << "" << false << false << 0;
    QTest::newRow("too many hosts") << QStringList{"--hosts", "a:1,b:2,c:3,d:4"} << three << "" << ""
                                    << false << false << 1;
    QTest::newRow("hosts without value") << QStringList{"--hosts"} << QStringList() << "" << "" << false << false << 1;
    QTest::newRow("hosts empty after equals") << QStringList{"--hosts="} << QStringList() << "" << ""
                                              << false << false << 1;
    QTest::newRow("option is not a value") << QStringList{"--cache-dir", "--help"} << QStringList() << "" << ""
                                           << true << false << 1;
    QTest::newRow("cache dir") << QStringList{"--cache-dir", "/tmp/cache"} << QStringList() << "/tmp/cache" << ""
                               << false << false << 0;
    QTest::newRow("cache dir with equals") << QStringList{"--cache-dir=/tmp/c d"} << QStringList() << "/tmp/c d"
                                           << "" << false << false << 0;
    QTest::newRow("screenshot") << QStringList{"--screenshot", "shot.png"} << QStringList() << "" << "shot.png"
                                << false << false << 0;
    QTest::newRow("help and version") << QStringList{"--version", "--help"} << QStringList() << "" << ""
                                      << true << true << 0;
    QTest::newRow("unknown words ignored") << QStringList{"hello", "-x", "--verbose", "--screenshot", "s.png", "42"}
                                           << QStringList() << "" << "s.png" << false << false << 0;
    QTest::newRow("prefix is not the option") << QStringList{"--hostsx", "a:1", "--helpme"} << QStringList() << ""
                                              << "" << false << false << 0;
    QTest::newRow("later value wins") << QStringList{"--cache-dir", "/a", "--cache-dir", "/b"} << QStringList()
                                      << "/b" << "" << false << false << 0;
}

void TstCommandLine::options()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, hosts);
    QFETCH(QString, cacheDir);
    QFETCH(QString, screenshot);
    QFETCH(bool, help);
    QFETCH(bool, version);
    QFETCH(int, problems);

    const CommandLine line = parseCommandLine(args);
    QCOMPARE(line.hosts, hosts);
    QCOMPARE(line.cacheDir, cacheDir);
    QCOMPARE(line.screenshot, screenshot);
    QCOMPARE(line.showHelp, help);
    QCOMPARE(line.showVersion, version);
    QCOMPARE(line.problems.size(), problems);
}

void TstCommandLine::usageNamesEveryOption()
{
    const QString usage = commandLineUsage();
    for (const char *option : {"--hosts", "--cache-dir", "--screenshot", "--help", "--version", "deleteall"})
        QVERIFY2(usage.contains(QLatin1String(option)), option);
}

QTEST_APPLESS_MAIN(TstCommandLine)
#include "tst_commandline.moc"
