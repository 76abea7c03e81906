#include "retrieval/archivecache.h"

#include "shell/settings.h"
#include "shell/textutil.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace ArchiveCache {

qint64 limitFromSetting(const QString &text)
{
    const double mib = parseLenient(text);
    if (!std::isfinite(mib) || mib <= 0 || mib > MaxLimitMiB)
        return qint64(DefaultLimitMiB) * 1024 * 1024;
    return qint64(mib * 1024 * 1024);
}

qint64 savedLimit()
{
    return limitFromSetting(SavedSettings::readText(QStringLiteral("archivemax")));
}

bool isArchiveName(const QString &name)
{
    static const QRegularExpression archive(QStringLiteral("^p(500|850)a[0-9]{8}\\.gif$"));
    return archive.match(name).hasMatch();
}

int prune(const QString &cacheDir, qint64 limitBytes, const QStringList &keep)
{
    QFileInfoList maps = QDir(cacheDir).entryInfoList(QDir::Files);
    maps.removeIf([](const QFileInfo &f) { return !isArchiveName(f.fileName()); });
    qint64 total = 0;
    for (const QFileInfo &f : std::as_const(maps))
        total += f.size();
    // Oldest first; the name breaks ties so that the order never depends on the folder's.
    std::sort(maps.begin(), maps.end(), [](const QFileInfo &a, const QFileInfo &b) {
        const QDateTime ta = a.lastModified(), tb = b.lastModified();
        return ta != tb ? ta < tb : a.fileName() < b.fileName();
    });
    int removed = 0;
    for (const QFileInfo &f : std::as_const(maps)) {
        if (total <= limitBytes)
            break;
        if (keep.contains(f.fileName()) || !QFile::remove(f.filePath()))
            continue;
        total -= f.size();
        ++removed;
    }
    return removed;
}

void noteShown(const QString &path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly | QIODevice::ExistingOnly))  // setFileTime wants an open file
        file.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime);
}

} // namespace ArchiveCache
