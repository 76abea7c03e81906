// "Calculer": the two point-forecast panels of the chosen place.
#include "viewer/form1.h"
#include "viewer/picturebox.h"

#include "forecast/pointforecast.h"
#include "retrieval/retrievalservice.h"

#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>

namespace {

void fillPanel(Form1 &form, const PanelTable &table, int step)
{
    PanelInputs inputs;
    inputs.cacheDir = form.Service->cacheDir();
    inputs.programDir = form.config().programDir;
    inputs.step = step;
    inputs.PlaceX = form.PlaceX;
    inputs.PlaceY = form.PlaceY;
    inputs.PlaceX2 = form.PlaceX2;
    inputs.PlaceY2 = form.PlaceY2;

    RetrievalService *service = form.Service;
    const FetchMap fetch = [service](int heure, int what) { service->GetNewModeles(heure, what); };

    // Picture4 keeps the last map read, as the display's work picture.
    QImage work = form.Picture4->picture();
    const PanelResult result = computePanel(table, inputs, form.OK, fetch, work);
    if (work.cacheKey() != form.Picture4->picture().cacheKey())
        form.Picture4->setPicture(work);

    for (const QuantityResult &q : result.quantities) {
        if (!q.label)
            continue;
        if (QLabel *label = form.findChild<QLabel *>(QLatin1String(q.label)))
            label->setText(q.text);
    }
    if (auto *box = form.findChild<PictureBox *>(QLatin1String(table.pictureBox))) {
        box->setPicture(result.pictogramImage);
        box->setProperty("pictogram", int(result.pictogram));
    }
}

} // namespace

void Form1::Command3_Click()
{
    for (PictureBox *box : {picto1, picto2}) {
        box->setPicture(QImage());
        box->setProperty("pictogram", QVariant());
    }
    Calculer();
    CalculeActual();
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
