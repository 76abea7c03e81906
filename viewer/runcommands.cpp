// The run commands: refresh, test for a new run, delete, download all, maximum step.
#include "viewer/form1.h"

#include "retrieval/retrievalservice.h"
#include "core/downloadshare.h"
#include "shell/messages.h"
#include "shell/textutil.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>

#include <optional>

namespace {

constexpr int LongRangeStep = 36;  // beyond it the server may not have the maps

// A maximum step read from text: its rounded value, or nothing when it is too large for
// the hours and map numbers built from it.
std::optional<int> boundedStep(double value)
{
    if (!(value <= MaxStepLimit + 1.0))  // also NaN; keeps the rounding in range
        return std::nullopt;
    const qint64 rounded = roundHalfEven(value);
    if (rounded > MaxStepLimit)
        return std::nullopt;
    return int(rounded);
}

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
            statusLabel->setText(msg(Msg::RunDeleted).arg(m_service->deletePngFiles()));
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

    // A maximum refused by setMaxStepText is not taken here either: the accepted one stays.
    const int last = boundedStep(parseLenient(maxStepEdit->text())).value_or(m_model.maxStep());
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

void Form1::setMaxStepText(const QString &text)
{
    const double value = parseLenient(text);
    if (!(value > 0))
        return;
    const std::optional<int> step = boundedStep(value);
    if (!step || value > LongRangeStep)
        statusLabel->setText(msg(Msg::LongRange));
    if (step)
        m_model.setMaxStep(*step);
}
