#include "viewer/savedialog.h"

#include "shell/settings.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
const QString FolderKey = QStringLiteral("exportdir");
}

QString lastSaveFolder()
{
    const QString saved = SavedSettings::readText(FolderKey);
    if (!saved.isEmpty() && QFileInfo(saved).isDir())
        return saved;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
}

void rememberSaveFolder(const QString &filePath)
{
    SavedSettings::writeText(FolderKey, QFileInfo(filePath).absolutePath());
}

void askSaveFile(QWidget *parent, const QString &title, const QString &filter,
                 const QString &suggestedName, std::function<void(const QString &)> chosen)
{
    auto *dialog = new QFileDialog(parent, title, QDir(lastSaveFolder()).filePath(suggestedName), filter);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    // A name typed without its suffix gets the suggested one, and the overwrite question asks about that file.
    dialog->setDefaultSuffix(QFileInfo(suggestedName).suffix());
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [chosen = std::move(chosen)](const QString &path) {
        chosen(path);
    });
    dialog->open();
}
