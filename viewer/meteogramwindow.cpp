#include "viewer/meteogramwindow.h"

#include "core/displaytext.h"
#include "export/exportfile.h"
#include "forecast/meteogramtext.h"
#include "retrieval/retrievalservice.h"
#include "shell/messages.h"
#include "viewer/meteogramchart.h"
#include "viewer/savedialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

bool samePlace(const PanelInputs &a, const PanelInputs &b)
{
    return a.cacheDir == b.cacheDir && a.PlaceX == b.PlaceX && a.PlaceY == b.PlaceY && a.PlaceX2 == b.PlaceX2
        && a.PlaceY2 == b.PlaceY2;
}

} // namespace

MeteogramWindow::MeteogramWindow(RetrievalService &service, QWidget *owner)
    : QWidget(owner, Qt::Tool), m_service(service), m_chart(new MeteogramChart(this)),
      m_readout(new QLabel(this)), m_note(new QLabel(this)), m_saveButton(new QPushButton(msg(Msg::MeteogramSave), this))
{
    setObjectName(QStringLiteral("meteogramWindow"));
    m_readout->setObjectName(QStringLiteral("meteogramReadout"));
    m_note->setObjectName(QStringLiteral("meteogramNote"));
    m_saveButton->setObjectName(QStringLiteral("meteogramSave"));
    m_saveButton->setProperty("tag", QString::number(int(Msg::MeteogramSave)));  // retranslated with Form1
    m_readout->setWordWrap(true);
    m_readout->setMinimumHeight(2 * fontMetrics().lineSpacing() + 4);
    m_readout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_note->setWordWrap(true);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_note, 1);
    bottom->addWidget(m_saveButton);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->addWidget(m_chart, 1);
    column->addWidget(m_readout);
    column->addLayout(bottom);
    resize(900, 600);

    connect(&m_series, &MeteogramSeries::changed, this, &MeteogramWindow::showSeries);
    connect(m_chart, &MeteogramChart::hovered, this, &MeteogramWindow::showReadout);
    connect(m_chart, &MeteogramChart::clicked, this, &MeteogramWindow::stepChosen);
    connect(m_saveButton, &QPushButton::clicked, this, &MeteogramWindow::askSave);
    // Whatever the other jobs brought (a new run, "Télécharger tout") is read once they rest.
    connect(&m_service, &RetrievalService::activeChanged, this, [this](bool active) {
        if (!active && m_started && isVisible()) {
            followClock(m_series.lastStep());
            m_series.rereadAll();
        }
    });
    showReadout(-1);
}

MeteogramWindow::~MeteogramWindow()
{
    stopFetching();
}

void MeteogramWindow::showPlace(const PanelInputs &place, int lastStep)
{
    followClock(lastStep);
    const bool same = m_started && samePlace(place, m_series.place()) && lastStep == m_series.lastStep();
    m_saveNote.clear();
    if (same) {
        m_series.rereadAll();
        if (!m_batch)
            fetchMissing();
        showNote();
        return;
    }
    stopFetching();
    m_started = true;
    m_series.start(place, lastStep);
    fetchMissing();
    showSeries();
}

void MeteogramWindow::setSelectedStep(int step)
{
    m_chart->setSelectedStep(step);
}

// The valid times follow the clock: a new run moves every step on.
void MeteogramWindow::followClock(int lastStep)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    setWindowTitle(msg(Msg::MeteogramTitle).arg(slotText(runSlot(now))));
    m_times.clear();
    for (int s = 0; s <= lastStep; ++s)
        m_times.append(validSlot(now, s));
}

void MeteogramWindow::fetchMissing()
{
    m_needs = meteogramMissing(m_series.place().cacheDir, m_series.lastStep());
    if (m_needs.isEmpty())
        return;
    QList<QPair<int, int>> maps;
    for (const MapNeed &need : std::as_const(m_needs))
        maps.append({need.step, need.what});
    // Behind what the user is waiting for: the map shown and the panels go first.
    MapBatch *batch = m_service.fetchMaps(maps, false);
    if (batch->isFinished())
        return;  // refused at once (start-up holds transfers back)
    m_batch = batch;
    m_coming = int(m_needs.size());
    connect(batch, &MapBatch::groupDone, this, [this](int index) {
        --m_coming;
        m_saveNote.clear();
        m_series.reread(m_needs.value(index).step);
        showNote();
    });
    connect(batch, &MapBatch::finished, this, [this] {
        m_coming = 0;
        showNote();
    });
}

void MeteogramWindow::stopFetching()
{
    if (m_batch) {
        m_batch->disconnect(this);
        m_batch->cancel();
    }
    m_batch.clear();
    m_coming = 0;
}

void MeteogramWindow::showSeries()
{
    m_chart->setSteps(m_series.steps(), m_times);
    showReadout(m_chart->hoveredStep());
    showNote();
}

void MeteogramWindow::showNote()
{
    int missing = 0;
    for (const MeteogramStep &step : m_series.steps())
        missing += step.missing;
    QString note = m_saveNote;
    if (note.isEmpty() && m_coming > 0)
        note = msg(Msg::MeteogramComing).arg(m_coming);
    else if (note.isEmpty() && !m_series.complete())
        note = msg(Msg::MeteogramReading);
    else if (note.isEmpty() && missing > 0)
        note = msg(Msg::MeteogramUnavailable).arg(missing);
    m_note->setText(note);
}

void MeteogramWindow::showReadout(int step)
{
    const QVector<MeteogramStep> &steps = m_series.steps();
    if (step < 0 || step >= steps.size() || step >= m_times.size())
        m_readout->setText(msg(Msg::MeteogramHint));
    else
        m_readout->setText(meteogramReadout(steps[step], m_times[step]));
}

void MeteogramWindow::askSave()
{
    const QString name = QStringLiteral("meteogramme-%1.png").arg(runSlot(QDateTime::currentDateTimeUtc()).toString(QStringLiteral("yyyyMMdd-HH")));
    askSaveFile(this, msg(Msg::MeteogramSaveTitle), msg(Msg::PngFilter), name,
                [this](const QString &path) { saveTo(path); });
}

// Through a temporary file, as the exports: a failed save leaves no half picture behind.
bool MeteogramWindow::saveTo(const QString &path)
{
    const bool saved = savePng(m_chart->render(), path).outcome == ExportOutcome::Written;
    if (saved)
        rememberSaveFolder(path);
    m_saveNote = msg(saved ? Msg::MeteogramSaved : Msg::MeteogramSaveFailed).arg(path);
    showNote();
    return saved;
}

void MeteogramWindow::closeEvent(QCloseEvent *event)
{
    stopFetching();
    QWidget::closeEvent(event);
}
