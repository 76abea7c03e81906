#pragma once
#include <QString>

// Where the data files (langage.txt, lisezmoi.txt, picto/) are read from.
struct DataFolder {
    QString path;
    // An installed copy: its own folder is no place for the cache, even when writable.
    bool installed = false;
};

// The first that applies: $CARTAVENT_DATA_DIR (given as environmentOverride); the executable's
// folder when the data lies beside it (a build, an unpacked copy); the installed data folder,
// <executable folder>/../share/cartavent, so an installed prefix can move; else the
// executable's folder.
DataFolder locateDataFolder(const QString &executableDir, const QString &environmentOverride);

// locateDataFolder for this process.
DataFolder dataFolder();
QString programDir();  // dataFolder().path

// An override wins; an installed copy keeps its cache in the per-user cache location; else the
// program folder when writable, else that cache location.
QString chooseCacheDir(const QString &override);

// folder + "/" + name, without doubling a slash the folder already ends with.
QString joinPath(const QString &folder, const QString &name);
