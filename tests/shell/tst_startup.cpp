// What the program starts with: its cache folder, saved settings and log.
#include "shell/eventlog.h"
#include "shell/paths.h"
#include "shell/settings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TstStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    }
    void init() { QSettings("Cartavent", "Cartavent").clear(); }

    void cacheFolder()
    {
        QTemporaryDir dir;
        const QString wanted = dir.filePath(QStringLiteral("a/b/cache"));
        QCOMPARE(chooseCacheDir(wanted), wanted);
        QVERIFY(QDir(wanted).exists());
        // A program "folder" that is a file falls back to the user's cache folder.
        const QByteArray saved = qgetenv("CARTAVENT_DATA_DIR");
        QFile file(dir.filePath(QStringLiteral("x")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        qputenv("CARTAVENT_DATA_DIR", file.fileName().toUtf8());
        const QString chosen = chooseCacheDir(QString());
        qputenv("CARTAVENT_DATA_DIR", saved);
        QCOMPARE(chosen, QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)));
    }

    // Where the data is read from and whether the copy counts as installed (its cache then
    // goes to the user's cache folder).
    void dataFolder_data()
    {
        QTest::addColumn<QStringList>("layout");  // under a temporary root; a trailing / is a folder
        QTest::addColumn<QString>("override");
        QTest::addColumn<QString>("folder");      // relative to the root
        QTest::addColumn<bool>("installed");
        QTest::newRow("build: data beside") << QStringList{"bin/langage.txt"} << "" << "bin" << false;
        QTest::newRow("installed prefix") << QStringList{"bin/", "share/cartavent/"} << "" << "share/cartavent" << true;
        QTest::newRow("beside wins") << QStringList{"bin/langage.txt", "share/cartavent/"} << "" << "bin" << false;
        QTest::newRow("no data anywhere") << QStringList{"bin/", "share/"} << "" << "bin" << false;
        QTest::newRow("environment wins") << QStringList{"bin/", "share/cartavent/", "d/"} << "d" << "d" << false;
    }
    void dataFolder()
    {
        QFETCH(QStringList, layout);
        QFETCH(QString, override);
        QTemporaryDir root;
        for (const QString &entry : layout) {
            QVERIFY(QDir(root.path()).mkpath(entry.endsWith(u'/') ? entry : entry.section(u'/', 0, -2)));
            QFile file(root.filePath(entry));
            QVERIFY(entry.endsWith(u'/') || file.open(QIODevice::WriteOnly));
        }
        const DataFolder found = locateDataFolder(root.filePath(QStringLiteral("bin")),
                                                  override.isEmpty() ? override : root.filePath(override));
        QFETCH(QString, folder);
        QCOMPARE(found.path, root.filePath(folder));
        QTEST(found.installed, "installed");
    }

    void settingsRoundTrip()
    {
        QCOMPARE(SavedSettings::readNumber(QStringLiteral("num"), 30), 30.0);
        SavedSettings::writeText(QStringLiteral("num"), QStringLiteral("40"));
        // Stored under application "Cartavent", section "Cartavent", as text.
        QSettings settings("Cartavent", "Cartavent");
        QCOMPARE(settings.value("Cartavent/num").typeId(), int(QMetaType::QString));

        // A hand-edited file: empty text is not a missing value; "12,5" reads back as a list.
        settings.setValue("Cartavent/num", QString());
        settings.setValue("Cartavent/dx", QStringList{QStringLiteral("12"), QStringLiteral("5")});
        settings.setValue("Servers/host1", "maps.example:8080");
        settings.setValue("Servers/host3", " 127.0.0.1:9000 ");
        settings.setValue("Cartavent/host2", "wrong section");
        settings.sync();
        QCOMPARE(SavedSettings::readNumber(QStringLiteral("num"), 30), 0.0);
        QCOMPARE(SavedSettings::readNumber(QStringLiteral("dx"), 4000), 12.0);
        QCOMPARE(SavedSettings::hosts(), QStringList({"maps.example:8080", "", "127.0.0.1:9000"}));
    }

    void logLine_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("utf-8, trailing blank kept") << QTime(10, 57, 23) << QString::fromUtf8("Démarré ")
                                                    << QByteArray("05/12/2026 10:57:23D\xC3\xA9marr\xC3\xA9 \r\n");
        QTest::newRow("empty message") << QTime(8, 5, 9) << "" << QByteArray("05/12/2026 08:05:09\r\n");
        QTest::newRow("midnight has no time") << QTime(0, 0, 0) << "x" << QByteArray("05/12/2026x\r\n");
    }
    void logLine()
    {
        QFETCH(QTime, time);
        QFETCH(QString, message);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("log.txt"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("previous run\r\n");
        old.close();

        EventLog log(path);
        log.setClock([time] { return QDateTime(QDate(2026, 12, 5), time); });
        log.StartLog();  // empties what an earlier run wrote
        log.AddLog(message);
        log.AddLog(message);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), expected + expected);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TstStartup)
#include "tst_startup.moc"
