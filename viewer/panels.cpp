// "Calculer": the two point-forecast panels of the chosen place.
#include "viewer/form1.h"
#include "viewer/picturebox.h"

#include "forecast/pointforecast.h"
#include "retrieval/retrievalservice.h"

#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>

namespace {

PanelInputs panelInputs(const Form1 &form, int step)
{
    PanelInputs inputs;
    inputs.cacheDir = form.Service->cacheDir();
    inputs.programDir = form.config().programDir;
    inputs.step = step;
    inputs.PlaceX = form.PlaceX;
    inputs.PlaceY = form.PlaceY;
    inputs.PlaceX2 = form.PlaceX2;
    inputs.PlaceY2 = form.PlaceY2;
    return inputs;
}

// Where each panel shows its values.
struct PanelWidgets {
    std::pair<PanelRole, QLabel *> labels[5];
    PictureBox *pictogram;
};

PanelWidgets panelWidgets(const Form1 &form, const PanelTable &table)
{
    if (&table == &PanelTable::series())
        return {{{PanelRole::Temperature, form.Label13}, {PanelRole::Precipitation, form.Label12},
                 {PanelRole::CloudCover, form.Label21}, {PanelRole::Temperature850, form.Label23},
                 {PanelRole::Wind, form.Label27}},
                form.picto2};
    return {{{PanelRole::Temperature, form.Label7}, {PanelRole::Precipitation, form.Label8},
             {PanelRole::CloudCover, form.Label17}, {PanelRole::Temperature850, form.Label19},
             {PanelRole::Wind, form.Label25}},
            form.picto1};
}

// The maps are in the cache, or could not be had: nothing is fetched from here.
void fillPanel(Form1 &form, const PanelTable &table, int step)
{
    // Picture4 keeps the last map read, as the display's work picture.
    QImage work = form.Picture4->picture();
    bool retrying = false;
    const PanelResult result = computePanel(table, panelInputs(form, step), retrying, {}, work);
    if (work.cacheKey() != form.Picture4->picture().cacheKey())
        form.Picture4->setPicture(work);

    const PanelWidgets widgets = panelWidgets(form, table);
    for (const auto &[role, label] : widgets.labels)
        label->setText(result.text(role));
    widgets.pictogram->setPicture(result.pictogramImage);
    widgets.pictogram->setProperty("pictogram", int(result.pictogram));
}

} // namespace

// Both panels need their maps: the missing ones are fetched first, all together, and the
// panels are filled once they have arrived (or could not be had).
void Form1::Command3_Click()
{
    for (PictureBox *box : {picto1, picto2}) {
        box->setPicture(QImage());
        box->setProperty("pictogram", QVariant());
    }
    const int step = HScroll1->value();
    QVector<MapNeed> needs = missingMaps(PanelTable::series(), panelInputs(*this, step));
    for (const MapNeed &need : missingMaps(PanelTable::current(), panelInputs(*this, step))) {
        if (!needs.contains(need))
            needs.append(need);
    }
    const int request = ++m_panelRequest;
    const auto fill = [this, request, step] {
        if (request == m_panelRequest)  // a later press computes its own
            computePanels(step);
    };
    if (needs.isEmpty()) {
        fill();
        return;
    }
    QList<QPair<int, int>> maps;
    for (const MapNeed &need : std::as_const(needs))
        maps.append({need.step, need.what});
    MapBatch *batch = Service->fetchMaps(maps);
    if (batch->isFinished())
        fill();
    else
        connect(batch, &MapBatch::finished, this, fill);
}

void Form1::computePanels(int step)
{
    fillPanel(*this, PanelTable::series(), step);
    fillPanel(*this, PanelTable::current(), 0);
    Frame3->show();
    Frame4->show();
}

void Form1::Calculer()
{
    fillPanel(*this, PanelTable::series(), HScroll1->value());
}

void Form1::CalculeActual()
{
    fillPanel(*this, PanelTable::current(), 0);
}
