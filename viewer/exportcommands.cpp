// "Exporter l'image…" and "Exporter l'animation…": the window's side. What is written is
// made in export/, without the window.
#include "viewer/form1.h"
#include "viewer/picturebox.h"
#include "viewer/savedialog.h"

#include "export/animationexport.h"
#include "export/exportimage.h"
#include "retrieval/retrievalservice.h"
#include "shell/messages.h"

#include <QLabel>
#include <QProgressDialog>
#include <QRadioButton>

// The map area as the user sees it, overlaid controls left out: the canvas is exactly the
// map drawn at the present view, with the place marker, and nothing on top of it.
void Form1::exportImage()
{
    const MapSelection selection = m_model.selection();
    if (m_model.loading() || mapHolder->picture().isNull() || m_shownName != selectionCacheName(selection)) {
        showExportOutcome(msg(Msg::ExportNoMap));
        return;
    }
    // Taken now: the animation or a download may change the map while the dialog is open.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QImage picture = composeExportImage(mapPicture->canvas(), legendStrip->canvas(), exportCaption(selection, now));
    const QString name = selection.archive
        ? archiveImageName(selection.level, m_model.archiveDate())
        : forecastImageName(QLatin1String(kindByNumber(selection.kindNumber)->key), now, selection.step);
    askSaveFile(this, msg(Msg::ExportImageTitle), msg(Msg::PngFilter), name, [this, picture](const QString &path) {
        showExportResult(savePng(picture, path));
    });
}

QStringList Form1::exportCaption(const MapSelection &selection, const QDateTime &now) const
{
    const QString credit = creditLabel->text();
    if (selection.archive) {
        const QRadioButton *level = selection.level == ArchiveLevel::P850 ? archive850Option : archive500Option;
        return archiveExportCaption(level->text(), m_model.archiveDate(), credit);
    }
    return forecastCaption(kindOptions[selection.kindNumber - 1]->text(), selection.step, now, credit);
}

void Form1::exportAnimation()
{
    if (m_animationExport) {  // under way: its dialog comes forward
        if (auto *dialog = findChild<QProgressDialog *>(QStringLiteral("exportProgress"))) {
            dialog->raise();
            dialog->activateWindow();
        }
        return;
    }
    if (m_model.archive()) {
        showExportOutcome(msg(Msg::ExportCurrentRunOnly));
        return;
    }
    const MapKind *kind = kindByNumber(m_model.kind());
    if (cachedSteps(m_service->cacheDir(), *kind).isEmpty()) {
        showExportOutcome(msg(Msg::ExportNoSteps));
        return;
    }
    const QString name = animationName(QLatin1String(kind->key), QDateTime::currentDateTimeUtc());
    askSaveFile(this, msg(Msg::ExportAnimationTitle), msg(Msg::GifFilter), name,
                [this, kind](const QString &path) { startAnimationExport(kind, path); });
}

// The steps are listed again once the file is chosen: the cache may have changed meanwhile.
// The dialog is not modal: a modal QProgressDialog runs the event loop inside setValue.
void Form1::startAnimationExport(const MapKind *kind, const QString &path)
{
    QStringList frames;
    for (int step : cachedSteps(m_service->cacheDir(), *kind))
        frames << m_service->cachePath(forecastCacheName(*kind, step));
    auto *job = new AnimationExport(frames, path, this);
    m_animationExport = job;
    auto *dialog = new QProgressDialog(msg(Msg::ExportProgress).arg(0).arg(frames.size()), msg(Msg::ExportCancel), 0,
                                       int(frames.size()), this);
    dialog->setObjectName(QStringLiteral("exportProgress"));
    dialog->setWindowTitle(msg(Msg::ExportAnimationTitle));
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setMinimumDuration(0);
    connect(dialog, &QProgressDialog::canceled, job, &AnimationExport::cancel);
    connect(job, &AnimationExport::progress, dialog, [dialog](int done, int total) {
        dialog->setLabelText(msg(Msg::ExportProgress).arg(done).arg(total));
        dialog->setValue(done);
    });
    connect(job, &AnimationExport::finished, this, [this, job, dialog](const ExportResult &result) {
        dialog->disconnect(job);  // closing a progress dialog reports a cancel
        dialog->deleteLater();
        job->deleteLater();
        m_animationExport = nullptr;
        showExportResult(result);
    });
    dialog->show();
    job->start();
}

void Form1::showExportResult(const ExportResult &result)
{
    if (result.outcome == ExportOutcome::Written)
        rememberSaveFolder(result.path);
    showExportOutcome(exportStatusText(result));
}

// On the status line of the mode shown.
void Form1::showExportOutcome(const QString &text)
{
    if (m_model.archive())
        archiveStatusLabel->setText(text);
    else
        showStatus(text);
}
