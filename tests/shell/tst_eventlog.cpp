#include "shell/eventlog.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TstEventLog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void line_data();
    void line();
    void startEmptiesAndCreates();
    void secondStartKeepsOnlyItsLines();
    void failuresAreSilent();

private:
    QByteArray contents() const;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TstEventLog::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("log.txt"));
}

QByteArray TstEventLog::contents() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void TstEventLog::line_data()
{
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("expected");

    const QDate day(2026, 12, 5);
    QTest::newRow("plain") << QDateTime(day, QTime(10, 57, 23)) << QString::fromUtf8("Démarrage")
                           << QByteArray("05/12/2026 10:57:23D\xC3\xA9marrage\r\n");
    QTest::newRow("trailing blank kept") << QDateTime(day, QTime(10, 57, 23)) << QStringLiteral("Refresh 1 ")
                                         << QByteArray("05/12/2026 10:57:23Refresh 1 \r\n");
    QTest::newRow("empty message") << QDateTime(day, QTime(8, 5, 9)) << QString()
                                   << QByteArray("05/12/2026 08:05:09\r\n");
    QTest::newRow("midnight has no time") << QDateTime(day, QTime(0, 0, 0)) << QStringLiteral("x")
                                          << QByteArray("05/12/2026x\r\n");
    QTest::newRow("one second after midnight") << QDateTime(day, QTime(0, 0, 1)) << QStringLiteral("x")
                                               << QByteArray("05/12/2026 00:00:01x\r\n");
    QTest::newRow("noon") << QDateTime(QDate(2027, 1, 31), QTime(12, 0, 0)) << QStringLiteral("x")
                          << QByteArray("31/01/2027 12:00:00x\r\n");
}

void TstEventLog::line()
{
    QFETCH(QDateTime, when);
    QFETCH(QString, message);
    QFETCH(QByteArray, expected);

    EventLog log(m_path);
    log.setClock([when] { return when; });
    log.StartLog();
    log.AddLog(message);
    QCOMPARE(contents(), expected);
    log.AddLog(message);
    QCOMPARE(contents(), expected + expected);  // appended, complete after each call
}

void TstEventLog::startEmptiesAndCreates()
{
    EventLog log(m_path);
    QVERIFY(!QFile::exists(m_path));
    log.StartLog();
    QVERIFY(QFile::exists(m_path));

    QFile file(m_path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("old run\r\n");
    file.close();
    log.StartLog();
    QCOMPARE(contents(), QByteArray());
}

void TstEventLog::secondStartKeepsOnlyItsLines()
{
    const QDateTime when(QDate(2026, 3, 1), QTime(9, 0, 0));
    for (const char *message : {"first run", "second run"}) {
        EventLog log;
        log.setFilePath(m_path);
        log.setClock([when] { return when; });
        log.StartLog();
        log.AddLog(QString::fromLatin1(message));
    }
    QCOMPARE(contents(), QByteArray("01/03/2026 09:00:00second run\r\n"));
}

void TstEventLog::failuresAreSilent()
{
    EventLog missingFolder(m_dir->filePath(QStringLiteral("no/such/folder/log.txt")));
    missingFolder.StartLog();
    missingFolder.AddLog(QStringLiteral("lost"));
    QVERIFY(!QFile::exists(missingFolder.filePath()));

    EventLog noPath;
    noPath.StartLog();
    noPath.AddLog(QStringLiteral("lost"));
    QCOMPARE(noPath.filePath(), QString());
}

QTEST_APPLESS_MAIN(TstEventLog)
#include "tst_eventlog.moc"
