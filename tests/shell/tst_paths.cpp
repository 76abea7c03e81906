#include "shell/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TstPaths : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void programDirFollowsEnvironment();
    void overrideWinsAndIsCreated();
    void writableProgramFolder();
    void unusableProgramFolderFallsBack_data();
    void unusableProgramFolderFallsBack();

private:
    QByteArray m_savedDataDir;
};

void TstPaths::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    m_savedDataDir = qgetenv("CARTAVENT_DATA_DIR");
}

void TstPaths::cleanup()
{
    qputenv("CARTAVENT_DATA_DIR", m_savedDataDir);
}

void TstPaths::programDirFollowsEnvironment()
{
    QTemporaryDir dir;
    qputenv("CARTAVENT_DATA_DIR", dir.path().toUtf8());
    QCOMPARE(programDir(), QDir::cleanPath(dir.path()));
    qunsetenv("CARTAVENT_DATA_DIR");
    QCOMPARE(programDir(), QCoreApplication::applicationDirPath());
}

void TstPaths::overrideWinsAndIsCreated()
{
    QTemporaryDir dir;
    const QString wanted = dir.filePath(QStringLiteral("a/b/cache"));
    QCOMPARE(chooseCacheDir(wanted), wanted);
    QVERIFY(QDir(wanted).exists());
}

void TstPaths::writableProgramFolder()
{
    QTemporaryDir dir;
    qputenv("CARTAVENT_DATA_DIR", dir.path().toUtf8());
    QCOMPARE(chooseCacheDir(QString()), QDir::cleanPath(dir.path()));
    // The write probe leaves nothing behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

void TstPaths::unusableProgramFolderFallsBack_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("missing folder") << "missing";
    QTest::newRow("a file, not a folder") << "file";
    QTest::newRow("read-only folder") << "readonly";
}

void TstPaths::unusableProgramFolderFallsBack()
{
    QFETCH(QString, how);
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("program"));
    if (how == u"file") {
        QFile file(program);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (how == u"readonly") {
        QVERIFY(QDir().mkpath(program));
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
        QFile probe(program + QStringLiteral("/can-i-write"));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("permissions do not restrict this user (root)");
        }
    }
    qputenv("CARTAVENT_DATA_DIR", program.toUtf8());

    const QString chosen = chooseCacheDir(QString());
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(chosen, QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)));
    QVERIFY(QDir(chosen).exists());
    QVERIFY(!QFileInfo(program).isDir() || QDir(program).isEmpty());
}

QTEST_GUILESS_MAIN(TstPaths)
#include "tst_paths.moc"
