#pragma once
#include <QString>

// Folder of the data files (langage.txt, lisezmoi.txt, picto/): the executable's folder,
// or $CARTAVENT_DATA_DIR when set (tests run from elsewhere).
QString programDir();

// The program folder when writable, else the per-user cache location; an override wins.
QString chooseCacheDir(const QString &override);

// folder + "/" + name, without doubling a slash the folder already ends with.
QString joinPath(const QString &folder, const QString &name);
