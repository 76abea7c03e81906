// The run commands: refresh, test for a new run, delete, download all, maximum step.
#include "viewer/form1.h"

#include "core/downloadshare.h"
#include "retrieval/retrievalservice.h"
#include "shell/messages.h"

#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QToolTip>

namespace {

constexpr int LongRangeStep = 36;  // beyond it the server may not have the maps

} // namespace

// A question first: the run may have taken long to fetch. Not exec(): the window stays live.
void Form1::deleteRun()
{
    auto *ask = new QMessageBox(QMessageBox::Question, windowTitle(), msg(Msg::RunDeleteQuestion),
                                QMessageBox::Yes | QMessageBox::No, this);
    ask->setObjectName(QStringLiteral("deleteRunQuestion"));
    ask->setDefaultButton(QMessageBox::No);
    ask->setAttribute(Qt::WA_DeleteOnClose);
    connect(ask, &QMessageBox::finished, this, [this](int answer) {
        if (answer == QMessageBox::Yes)
            showStatus(msg(Msg::RunDeleted).arg(m_service->deletePngFiles()));
    });
    ask->open();
}

// A second run job would race the first one for the same maps.
bool Form1::refusedWhileBusy()
{
    if (!m_service->busy() && !m_service->held())
        return false;
    // Through the service, like every other message box: one place shows them.
    Q_EMIT m_service->messageBox(msg(Msg::Busy), true);
    return true;
}

void Form1::probeRun()
{
    if (!refusedWhileBusy())
        m_service->ChercheModele();
}

void Form1::refreshRun()
{
    if (!refusedWhileBusy())
        m_service->refreshStep(m_model.step());
}

void Form1::toggleDownloadAll()
{
    if (m_downloadAll) {
        m_model.setDownloadAll(ViewerModel::DownloadAll::Stopping);
        m_downloadAll->stop();  // the maps under way finish, the others are not fetched
        return;
    }
    if (refusedWhileBusy())
        return;
    m_model.setDownloadAll(ViewerModel::DownloadAll::Running);

    const int last = m_model.maxStep();
    m_downloadAll = m_service->downloadAll(last);
    const QLocale locale;
    connect(m_downloadAll, &MapBatch::groupDone, this, [this, last, locale](int map) {
        downloadAllButton->setText(downloadAllCaption(map / 7, map % 7 + 1, last, locale));
    });
    connect(m_downloadAll, &MapBatch::finished, this, [this] {
        downloadAllButton->setText(msg(Msg::AllDone));
        m_model.setDownloadAll(ViewerModel::DownloadAll::Idle);
    });
}

// The warning is long: beside the box, whole, as well as in the status line.
void Form1::setMaxStep(int step)
{
    m_model.setMaxStep(step);
    if (step <= LongRangeStep)
        return;
    showStatus(msg(Msg::LongRange));
    QToolTip::showText(maxStepEdit->mapToGlobal(QPoint(0, maxStepEdit->height())), msg(Msg::LongRange), maxStepEdit);
}
