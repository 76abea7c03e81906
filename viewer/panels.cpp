// "Calculer": the two point-forecast panels of the chosen place.
#include "viewer/form1.h"
#include "viewer/picturebox.h"

#include "core/displaytext.h"
#include "forecast/pointforecast.h"
#include "retrieval/retrievalservice.h"

#include <QGroupBox>
#include <QLabel>

namespace {

// The label of each shown quantity, in the panel's order.
QLabel *labelFor(PanelRole role, QLabel *temperature, const std::array<QLabel *, 4> &values)
{
    switch (role) {
    case PanelRole::Temperature: return temperature;
    case PanelRole::Precipitation: return values[0];
    case PanelRole::CloudCover: return values[1];
    case PanelRole::Temperature850: return values[2];
    case PanelRole::Wind: return values[3];
    case PanelRole::Storm: break;
    }
    return nullptr;
}

} // namespace

PanelInputs Form1::panelInputs(int step) const
{
    PanelInputs inputs;
    inputs.cacheDir = m_service->cacheDir();
    inputs.programDir = m_config.programDir;
    inputs.step = step;
    inputs.PlaceX = m_model.placeX();
    inputs.PlaceY = m_model.placeY();
    inputs.PlaceX2 = m_model.placeX2();
    inputs.PlaceY2 = m_model.placeY2();
    return inputs;
}

// Both panels need their maps: the missing ones are fetched first, all together, and the
// panels are filled once they have arrived (or could not be had).
void Form1::computeForecast()
{
    m_placeChosen = true;
    for (PictureBox *box : {nowPanel.pictogram, stepPanel.pictogram}) {
        box->setPicture(QImage());
        box->setProperty("pictogram", QVariant());
    }
    const int step = m_model.step();
    const PanelInputs inputs = panelInputs(step);
    QVector<MapNeed> needs = missingMaps(PanelTable::series(), inputs);
    for (const MapNeed &need : missingMaps(PanelTable::current(), inputs)) {
        if (!needs.contains(need))
            needs.append(need);
    }
    const int request = ++m_panelRequest;
    const auto fill = [this, request, step] {
        if (request == m_panelRequest)  // a later press computes its own
            fillPanels(step);
    };
    if (needs.isEmpty()) {
        fill();
        return;
    }
    QList<QPair<int, int>> maps;
    for (const MapNeed &need : std::as_const(needs))
        maps.append({need.step, need.what});
    MapBatch *batch = m_service->fetchMaps(maps);
    if (batch->isFinished())
        fill();
    else
        connect(batch, &MapBatch::finished, this, fill);
}

// The title and the values of a panel always belong to the same step.
void Form1::fillPanels(int step)
{
    fillPanel(stepPanel, true, step);
    stepPanel.frame->setTitle(stepFrameTitle(step));
    fillPanel(nowPanel, false, 0);
    for (const ForecastPanel *panel : {&nowPanel, &stepPanel})
        showPanelValues(*panel, true);
}

void Form1::showPanelValues(const ForecastPanel &panel, bool shown)
{
    panel.hint->setVisible(!shown);
    for (QWidget *w : {static_cast<QWidget *>(panel.pictogram), static_cast<QWidget *>(panel.temperature)})
        w->setVisible(shown);
    for (int i = 0; i < 4; ++i) {
        panel.captions[i]->setVisible(shown);
        panel.values[i]->setVisible(shown);
    }
}

// The maps are in the cache, or could not be had: nothing is fetched from here.
void Form1::fillPanel(const ForecastPanel &panel, bool series, int step)
{
    const PanelTable &table = series ? PanelTable::series() : PanelTable::current();
    // workPicture keeps the last map read, as the display's work picture.
    QImage work = workPicture->picture();
    bool retrying = false;
    const PanelResult result = computePanel(table, panelInputs(step),
                                            retrying, {}, work);
    if (work.cacheKey() != workPicture->picture().cacheKey())
        workPicture->setPicture(work);

    for (const QuantityResult &q : result.quantities) {
        if (QLabel *label = q.shown ? labelFor(q.role, panel.temperature, panel.values) : nullptr)
            label->setText(q.text);
    }
    panel.pictogram->setPicture(result.pictogramImage);
    panel.pictogram->setProperty("pictogram", int(result.pictogram));
}
