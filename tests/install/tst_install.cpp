// The program as users get it: installed into a prefix, and as a Debian package.
#include "shell/messages.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Runs a tool to its end; true when it exits with 0. output gets what it wrote, stderr included.
bool run(const QString &program, const QStringList &args, QString &output,
         const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    const bool ended = process.waitForFinished(-1);
    output = QString::fromLocal8Bit(process.readAll());
    if (process.error() != QProcess::UnknownError)
        output += process.errorString();
    return ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool installInto(const QString &prefix, QString &output)
{
    return run(QStringLiteral(CMAKE_COMMAND), {"--install", BUILD_DIR, "--prefix", prefix}, output);
}

// Every entry under folder with its size and time: what a run must leave as it found it.
QStringList snapshot(const QString &folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        entries << QStringLiteral("%1 %2 %3").arg(info.filePath()).arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch());
    }
    entries.sort();
    return entries;
}

} // namespace

class TstInstall : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QString out;
        QVERIFY2(installInto(m_work.filePath(QStringLiteral("prefix")), out), qPrintable(out));
        QVERIFY2(run(QStringLiteral(CPACK_COMMAND), {"--config", BUILD_DIR "/CPackConfig.cmake", "-B", m_work.path()}, out),
                 qPrintable(out));
        const QStringList debs = QDir(m_work.path()).entryList({QStringLiteral("cartavent_*.deb")});
        QCOMPARE(debs.size(), 1);
        m_deb = m_work.filePath(debs.first());
        QVERIFY2(run(QStringLiteral("dpkg-deb"), {"--contents", m_deb}, out), qPrintable(out));
        for (const QString &line : out.split(u'\n', Qt::SkipEmptyParts))
            m_packaged << line.section(QStringLiteral(" ./"), -1).chopped(line.endsWith(u'/') ? 1 : 0);
    }

    // The same layout under an installed prefix and under /usr in the package.
    void layout_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("shipped");
        QTest::newRow("viewer") << "bin/cartavent" << true;
        QTest::newRow("map server") << "bin/cartavent-mapserver" << true;
        QTest::newRow("drawing tool stays") << "bin/cartavent-pictogen" << false;
        QTest::newRow("language") << "share/cartavent/langage.txt" << true;
        QTest::newRow("pictogram") << "share/cartavent/picto/pt_18.gif" << true;
        QTest::newRow("geography is built in") << "share/cartavent/geography" << false;
        QTest::newRow("menu entry") << "share/applications/cartavent.desktop" << true;
        QTest::newRow("icon") << "share/icons/hicolor/scalable/apps/cartavent.svg" << true;
    }
    void layout()
    {
        QFETCH(QString, path);
        QFETCH(bool, shipped);
        QCOMPARE(QFileInfo::exists(m_work.filePath(QStringLiteral("prefix/") + path)), shipped);
        QCOMPARE(m_packaged.contains(QStringLiteral("usr/") + path), shipped);
    }

    void desktopEntry()
    {
        QString out;
        QVERIFY2(run(QStringLiteral("desktop-file-validate"),
                     {m_work.filePath(QStringLiteral("prefix/share/applications/cartavent.desktop"))}, out),
                 qPrintable(out));
        QVERIFY2(!out.contains(QStringLiteral("error:")) && !out.contains(QStringLiteral("warning:")), qPrintable(out));
    }

    // What apt reads: a fresh Debian 12 gets Qt, libcurl and giflib with the package.
    void packageFields_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");
        QTest::newRow("name") << "Package" << "cartavent";
        QTest::newRow("version") << "Version" << CARTAVENT_VERSION;
        for (const char *library : {"libqt6widgets6", "libqt6gui6", "libqt6core6", "libqt6network6", "libcurl4", "libgif7"})
            QTest::newRow(library) << "Depends" << library;
    }
    void packageFields()
    {
        QFETCH(QString, field);
        QFETCH(QString, expected);
        QString value;
        QVERIFY2(run(QStringLiteral("dpkg-deb"), {"--field", m_deb, field}, value), qPrintable(value));
        // A Depends entry is a package name, then a version, a comma or an alternative.
        const QRegularExpression entry(QStringLiteral("(^|[,|] *)%1( |,|$)").arg(expected));
        QVERIFY2(field == u"Depends" ? value.trimmed().contains(entry) : value.trimmed() == expected, qPrintable(value));
    }

    // The installed program finds its data in the prefix, says which file it lacks, and
    // writes only to the user's folders although its own prefix is writable.
    void installedProgram_data()
    {
        QTest::addColumn<QString>("removed");  // from the installed data folder
        QTest::newRow("complete") << QString();
        QTest::newRow("help missing") << "lisezmoi.txt";
    }
    void installedProgram()
    {
        QFETCH(QString, removed);
        QTemporaryDir work;
        QString out;
        QVERIFY2(installInto(work.filePath(QStringLiteral("prefix")), out), qPrintable(out));
        const QString prefix = QFileInfo(work.filePath(QStringLiteral("prefix"))).canonicalFilePath();
        const QString data = prefix + QStringLiteral("/share/cartavent/");
        QVERIFY(removed.isEmpty() || QFile::remove(data + removed));
        const QStringList before = snapshot(prefix);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("CARTAVENT_DATA_DIR"));
        for (const char *variable : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"})
            env.insert(QString::fromLatin1(variable), work.filePath(QString::fromLatin1(variable)));
        const QString shot = work.filePath(QStringLiteral("shot.png"));
        QVERIFY2(run(prefix + QStringLiteral("/bin/cartavent"), {"--screenshot", shot}, out, env), qPrintable(out));
        QVERIFY(!QImage(shot).isNull());

        const QString warning = msg(Msg::DataFileMissing);
        const QStringList warnings = out.split(u'\n').filter(warning.section(QStringLiteral("%1"), 0, 0));
        QCOMPARE(warnings, removed.isEmpty() ? QStringList() : QStringList{QStringLiteral("cartavent : ") + warning.arg(data + removed)});
        QVERIFY(QFileInfo(work.filePath(QStringLiteral("XDG_CACHE_HOME/Cartavent/Cartavent/log.txt"))).size() > 0);
        QCOMPARE(snapshot(prefix), before);
    }

private:
    QTemporaryDir m_work;
    QString m_deb;
    QStringList m_packaged;  // the package's files and folders, as usr/…
};

QTEST_GUILESS_MAIN(TstInstall)
#include "tst_install.moc"
