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

QString programDir()
{
    const QString dataDir = qEnvironmentVariable("CARTAVENT_DATA_DIR");
    if (!dataDir.isEmpty())
        return QDir::cleanPath(QDir(dataDir).absolutePath());
    // Before the application starts (the answers given without a window), from the system.
    if (!QCoreApplication::instance())
        return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
    return QCoreApplication::applicationDirPath();
}

QString chooseCacheDir(const QString &override)
{
    if (!override.isEmpty())
        return ensureFolder(override);
    const QString program = programDir();
    if (canCreateFilesIn(program))
        return program;
    return ensureFolder(QStandardPaths::writableLocation(QStandardPaths::CacheLocation));
}

QString joinPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}
