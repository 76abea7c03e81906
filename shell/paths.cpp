#include "shell/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

// Permission bits lie on some file systems (read-only mounts, ACLs): only a real file
// creation tells whether the cache can live there.
bool canCreateFilesIn(const QString &folder)
{
    if (folder.isEmpty() || !QDir(folder).exists())
        return false;
    QTemporaryFile probe(folder + QStringLiteral("/.cartavent-probe-XXXXXX"));
    return probe.open();  // removed again when probe goes out of scope
}

QString ensureFolder(const QString &folder)
{
    QDir().mkpath(folder);
    return QDir::cleanPath(QDir(folder).absolutePath());
}

} // namespace

DataFolder locateDataFolder(const QString &executableDir, const QString &environmentOverride)
{
    if (!environmentOverride.isEmpty())
        return {QDir::cleanPath(QDir(environmentOverride).absolutePath()), false};
    const QDir executable(executableDir);
    const QString beside = QDir::cleanPath(executable.absolutePath());
    // The language file stands for the whole data set: a build copies them all beside the program.
    if (executable.exists(QStringLiteral("langage.txt")))
        return {beside, false};
    const QString installed = QDir::cleanPath(executable.absoluteFilePath(QStringLiteral(CARTAVENT_DATA_FROM_BIN)));
    if (QFileInfo(installed).isDir())
        return {installed, true};
    // No data anywhere: look beside the program, where the warnings then point.
    return {beside, false};
}

DataFolder dataFolder()
{
    // Before the application starts (the answers given without a window), from the system.
    const QString executableDir = QCoreApplication::instance()
        ? QCoreApplication::applicationDirPath()
        : QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
    return locateDataFolder(executableDir, qEnvironmentVariable("CARTAVENT_DATA_DIR"));
}

QString programDir()
{
    return dataFolder().path;
}

QString chooseCacheDir(const QString &override)
{
    if (!override.isEmpty())
        return ensureFolder(override);
    const DataFolder data = dataFolder();
    if (!data.installed && canCreateFilesIn(data.path))
        return data.path;
    return ensureFolder(QStandardPaths::writableLocation(QStandardPaths::CacheLocation));
}

QString joinPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}
