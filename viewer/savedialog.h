#pragma once
// The save dialog of the export commands and the meteogram: it opens in the folder the user
// last saved to (setting "exportdir"). The caller remembers a folder once a file is written
// there: a folder that took no file (say /proc) is not offered again.
#include <QString>

#include <functional>

class QWidget;

// Opens a window-modal save dialog without waiting for it; `chosen` runs with the path when
// the user accepts. `suggestedName` is a file name, put in the last folder.
void askSaveFile(QWidget *parent, const QString &title, const QString &filter,
                 const QString &suggestedName, std::function<void(const QString &)> chosen);

// The folder of the last save, or the user's pictures folder.
QString lastSaveFolder();
void rememberSaveFolder(const QString &filePath);
