// RefreshPicture: loads the selected map when it changed and paints it, with the place
// marker and the legend strip.
#include "viewer/mapdisplay.h"
#include "viewer/displaytext.h"
#include "viewer/form1.h"
#include "viewer/picturebox.h"

#include "retrieval/retrievalservice.h"
#include "shell/imageloader.h"
#include "shell/messages.h"
#include "shell/textutil.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <cmath>

namespace {

constexpr double OuterMarkerHalf = 30;
constexpr double InnerMarkerHalf = 15;
// Where the legend strip starts on the maps, in twips of the image.
constexpr double LegendTop = 2060;
constexpr double ForecastLegendLeft = 12050;
constexpr double ArchiveLegendLeft = 12500;

// Black first: a pan would otherwise leave pieces of the last picture that the readout
// would decode as weather.
void paintMap(Form1 &form, const QImage &map)
{
    form.Picture1->clearCanvas();
    if (!map.isNull())
        form.Picture1->paintPicture(map, mapRectPixels(form.OffsetX, form.OffsetY, form.Zoom, map.size()));
}

void drawPlaceMarker(Form1 &form)
{
    // The wind and storm maps have their own frame.
    const bool domain2 = form.Option5->isChecked() || form.Option7->isChecked();
    const double x = (form.OffsetX + (domain2 ? form.PlaceX2 : form.PlaceX)) * form.Zoom;
    const double y = (form.OffsetY + (domain2 ? form.PlaceY2 : form.PlaceY)) * form.Zoom;
    form.Picture1->drawRectOutline(squarePixels(x, y, OuterMarkerHalf), Qt::blue);
    form.Picture1->drawRectOutline(squarePixels(x, y, InnerMarkerHalf), Qt::red);
}

void paintLegendStrip(Form1 &form, const QImage &map, bool archive)
{
    PictureBox *strip = form.Picture5;
    strip->clearCanvas();
    if (!map.isNull())
        strip->paintPictureRegion(map, QPoint(0, 0), QRect(legendOrigin(archive), strip->size()));
}

} // namespace

int twipsToPixel(double twips)
{
    // Far outside any picture, NaN included: one safe value instead of an overflow.
    const double pixel = std::floor(twips / TwipsPerPixel);
    return std::abs(pixel) < 1.0e9 ? int(pixel) : -1000000000;
}

QRect mapRectPixels(float offsetX, float offsetY, float zoom, QSize imageSize)
{
    // The size comes from the image alone, so the stretch is exactly the zoom. The corner
    // rounds up: then the pixel under the pointer is the map pixel a click there chooses.
    const auto corner = [](double twips) { return int(std::ceil(twips / TwipsPerPixel)); };
    return QRect(corner(double(offsetX) * zoom), corner(double(offsetY) * zoom),
                 int(std::lround(imageSize.width() * double(zoom))),
                 int(std::lround(imageSize.height() * double(zoom))));
}

QRect squarePixels(double centreX, double centreY, double halfSide)
{
    return QRect(QPoint(twipsToPixel(centreX - halfSide), twipsToPixel(centreY - halfSide)),
                 QPoint(twipsToPixel(centreX + halfSide), twipsToPixel(centreY + halfSide)));
}

QPoint legendOrigin(bool archive)
{
    return QPoint(twipsToPixel(archive ? ArchiveLegendLeft : ForecastLegendLeft), twipsToPixel(LegendTop));
}

int dateListNumber(const QString &text)
{
    const double value = parseLenient(text);
    if (std::isnan(value))
        return 0;
    return int(roundHalfEven(qBound(-2147483648.0, value, 2147483647.0)));
}

MapSelection readSelection(const Form1 &form)
{
    MapSelection selection;
    selection.archive = form.Option9->isChecked();
    // Tested in this order; none of them checked means orag (5).
    const std::pair<const QRadioButton *, int> kindOptions[] = {
        {form.Option1, 1}, {form.Option3, 2}, {form.Option2, 3}, {form.Option4, 4}, {form.Option6, 6}, {form.Option7, 7}};
    selection.kindNumber = 5;
    for (const auto &[option, number] : kindOptions) {
        if (option->isChecked()) {
            selection.kindNumber = number;
            break;
        }
    }
    selection.step = form.HScroll1->value();
    selection.level = form.Option11->isChecked() ? ArchiveLevel::P850 : ArchiveLevel::P500;
    selection.year = dateListNumber(form.Combo1->currentText());
    selection.month = dateListNumber(form.Combo2->currentText());
    selection.day = dateListNumber(form.Combo3->currentText());
    return selection;
}

void Form1::RefreshPicture()
{
    refreshPicture(false, {});
}

// One attempt to show the selection. A missing map is fetched and the attempt goes on when
// its batch ends; an attempt overtaken meanwhile by a newer one ends without painting (its
// map stays in the cache). `done` runs once the attempt has ended, painted or not.
void Form1::refreshPicture(bool retrying, const std::function<void()> &done)
{
    const int call = ++refreshCount;
    EventLog &log = Service->log();
    log.AddLog(QStringLiteral("Refresh Picture"));

    const MapSelection selection = readSelection(*this);
    const bool current = !selection.archive;
    const QString name = selectionCacheName(selection);
    if (current) {
        setWindowTitle(runCaption(QDateTime::currentDateTime()));
        log.AddLog(QStringLiteral("Fichier à afficher ") + name);
    } else {
        setWindowTitle(archiveCaption(rollDate(selection.year, selection.month, selection.day)));
    }

    if (name == OldLoaded) {
        showSelectedMap(selection);
        if (done)
            done();
        return;
    }
    const auto load = [this, call, selection, name, retrying, done](bool cancelled) {
        if (call != refreshCount) {
            if (done)
                done();
            return;
        }
        loadSelectedMap(call, selection, name, retrying, cancelled, done);
    };
    if (!QFileInfo(Service->cachePath(name)).isFile()) {
        log.AddLog(QStringLiteral("Image ") + name + QStringLiteral(" manquant. Cherche à la télécharger"));
        fetchSelectedMap(selection, load);
        return;
    }
    load(false);
}

void Form1::fetchSelectedMap(const MapSelection &selection, const std::function<void(bool cancelled)> &then)
{
    MapBatch *batch = nullptr;
    if (!selection.archive)
        batch = Service->GetNewModeles(selection.step, selection.kindNumber, true);
    else if (selection.level == ArchiveLevel::P850)
        batch = GetArchive850(selection.year, selection.day, selection.month);
    else
        batch = GetArchive500(selection.year, selection.day, selection.month);
    if (batch->isFinished()) {  // held back at start-up: nothing was fetched
        showLoadingNote(Service->held());
        then(false);
        return;
    }
    showLoadingNote(true);
    connect(batch, &MapBatch::finished, this, [batch, then] { then(batch->wasCancelled()); });
}

void Form1::loadSelectedMap(int call, const MapSelection &selection, const QString &name, bool retrying,
                            bool cancelled, const std::function<void()> &done)
{
    EventLog &log = Service->log();
    const bool current = !selection.archive;
    if (current)
        log.AddLog(QStringLiteral("Essaye d'afficher : ") + name);
    const LoadedPicture loaded = LoadPictureFile(Service->cachePath(name));
    Picture3->setPicture(loaded.picture);
    OldLoaded.clear();  // Picture3 no longer holds the map of that name
    if (current)
        log.AddLog(QStringLiteral("Fin d'essai"));

    const auto end = [this, selection, name, current, done] {
        OldLoaded = name;  // also after a failure: the same name is not tried again
        if (current)
            Service->log().AddLog(QStringLiteral("Fin Oldloaded"));
        showSelectedMap(selection);
        if (done)
            done();
    };
    // A map the user stopped is not fetched again behind his back.
    if (loaded.error != 0 && !retrying && !cancelled) {
        if (current) {
            log.AddLog(QStringLiteral("erreur ") + QString::number(loaded.error));
            log.AddLog(QStringLiteral("Téléchargement de l'image ") + name);
        }
        // The one retry: fetch again, then a whole new attempt, which this one waits for.
        fetchSelectedMap(selection, [this, call, end, done](bool) {
            if (call != refreshCount) {
                if (done)
                    done();
                return;
            }
            const int retry = refreshCount + 1;
            refreshPicture(true, [this, retry, end, done] {
                if (refreshCount == retry)
                    end();
                else if (done)
                    done();
            });
        });
        return;
    }
    if (loaded.error != 0 && current)
        log.AddLog(QStringLiteral(" Pas d'image !"));
    end();
}

void Form1::showLoadingNote(bool loading)
{
    m_loading = loading;
    if (!loading)
        return;
    // The previous map stays, dimmed, under the note: its colours no longer read as values.
    Label34->hide();
    Picture1->dim();
    showNote(msg(MsgLoading), false);
}

// Red for a map that could not be had; white over a map on its way.
void Form1::showNote(const QString &text, bool problem)
{
    QLabel *label = Label36;
    if (text.isEmpty()) {
        label->hide();
        return;
    }
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, problem ? QColor(Qt::red) : QColor(Qt::white));
    label->setPalette(palette);
    label->setText(text);
    label->setAlignment(Qt::AlignCenter);
    label->adjustSize();
    QRect place = label->geometry();
    place.moveCenter(Picture1->geometry().center());
    label->setGeometry(place);
    label->raise();
    label->show();
}

void Form1::showSelectedMap(const MapSelection &selection)
{
    m_loading = false;
    const QImage map = Picture3->picture();
    // The value box read the picture as it was: a redrawn map makes its text stale.
    Label34->hide();
    // Without a map, nothing of the last one may stay under the notice. Held back at
    // start-up, the map is still to come.
    if (map.isNull() && Service->held())
        showNote(msg(MsgLoading), false);
    else
        showNote(map.isNull() ? QStringLiteral("Pas d'image!") : QString(), true);
    paintMap(*this, map);
    if (!selection.archive)
        drawPlaceMarker(*this);
    paintLegendStrip(*this, map, selection.archive);
}
