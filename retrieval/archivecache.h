#pragma once
// Archive maps pile up one a day looked at: the cache keeps them under a size limit, the
// least recently shown going first. A map's modification time is when it was last shown
// (or stored), so the order survives a restart at no cost.
#include <QString>
#include <QStringList>

namespace ArchiveCache {

constexpr int DefaultLimitMiB = 200;
constexpr int MaxLimitMiB = 1024 * 1024;  // past a terabyte the value is a slip, not a wish

// The limit in bytes from the text of the "archivemax" setting (MiB, read leniently as the
// other settings are); anything unusable gives the default.
qint64 limitFromSetting(const QString &text);
// The same, read from the saved settings.
qint64 savedLimit();

// True for a name archiveCacheName gives ("p500a19900315.gif").
bool isArchiveName(const QString &name);

// Removes archive maps of the folder, least recently shown first, until they take no more
// than limitBytes. The maps named in keep stay whatever their size; nothing else of the
// folder is touched. Returns how many were removed.
int prune(const QString &cacheDir, qint64 limitBytes, const QStringList &keep);

// Marks a map as shown now.
void noteShown(const QString &path);

} // namespace ArchiveCache
