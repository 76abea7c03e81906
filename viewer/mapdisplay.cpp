// RefreshPicture: loads the selected map when it changed and paints it, with the place
// marker and the legend strip.
#include "viewer/mapdisplay.h"
#include "core/displaytext.h"
#include "viewer/form1.h"
#include "viewer/picturebox.h"

#include "retrieval/retrievalservice.h"
#include "shell/imageloader.h"
#include "shell/messages.h"
#include "shell/textutil.h"

#include <QFileInfo>
#include <QLayout>
#include <QLabel>
#include <cmath>

namespace {

constexpr double OuterMarkerHalf = 30;
constexpr double InnerMarkerHalf = 15;
// Where the legend strip starts on the maps, in twips of the image.
constexpr double LegendTop = 2060;
constexpr double ForecastLegendLeft = 12050;
constexpr double ArchiveLegendLeft = 12500;

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

void Form1::RefreshPicture()
{
    refreshPicture(false, {});
}

// One attempt to show the selection. A missing map is fetched and the attempt goes on when
// its batch ends; an attempt overtaken meanwhile by a newer one ends without painting (its
// map stays in the cache). `done` runs once the attempt has ended, painted or not.
void Form1::refreshPicture(bool retrying, const std::function<void()> &done)
{
    const int call = ++m_refreshCount;
    EventLog &log = m_service->log();
    log.AddLog(QStringLiteral("Refresh Picture"));

    const MapSelection selection = m_model.selection();
    const bool current = !selection.archive;
    const QString name = selectionCacheName(selection);
    showTitle(selection);
    if (current)
        log.AddLog(QStringLiteral("Fichier à afficher ") + name);

    if (name == m_shownName) {
        showSelectedMap(selection);
        if (done)
            done();
        return;
    }
    const auto load = [this, call, selection, name, retrying, done](bool cancelled) {
        if (call != m_refreshCount) {
            if (done)
                done();
            return;
        }
        loadSelectedMap(call, selection, name, retrying, cancelled, done);
    };
    if (!QFileInfo(m_service->cachePath(name)).isFile()) {
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
        batch = m_service->GetNewModeles(selection.step, selection.kindNumber, true);
    else
        batch = fetchArchive(selection);
    if (batch->isFinished()) {  // held back at start-up: nothing was fetched
        showLoadingNote(m_service->held());
        then(false);
        return;
    }
    showLoadingNote(true);
    connect(batch, &MapBatch::finished, this, [batch, then] { then(batch->wasCancelled()); });
}

void Form1::loadSelectedMap(int call, const MapSelection &selection, const QString &name, bool retrying,
                            bool cancelled, const std::function<void()> &done)
{
    EventLog &log = m_service->log();
    const bool current = !selection.archive;
    if (current)
        log.AddLog(QStringLiteral("Essaye d'afficher : ") + name);
    const LoadedPicture loaded = LoadPictureFile(m_service->cachePath(name));
    mapHolder->setPicture(loaded.picture);
    m_shownName.clear();  // mapHolder no longer holds the map of that name
    if (current)
        log.AddLog(QStringLiteral("Fin d'essai"));

    const auto end = [this, selection, name, current, done] {
        m_shownName = name;  // also after a failure: the same name is not tried again
        if (current)
            m_service->log().AddLog(QStringLiteral("Fin Oldloaded"));
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
            if (call != m_refreshCount) {
                if (done)
                    done();
                return;
            }
            const int retry = m_refreshCount + 1;
            refreshPicture(true, [this, retry, end, done] {
                if (m_refreshCount == retry)
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
    m_model.setLoading(loading);
    if (!loading)
        return;
    // The previous map stays, dimmed, under the note: its colours no longer read as values.
    valueBox->hide();
    mapPicture->dim();
    showNote(int(Msg::Loading), false);
}

void Form1::showTitle(const MapSelection &selection)
{
    if (selection.archive)
        setWindowTitle(archiveCaption(rollDate(selection.year, selection.month, selection.day)));
    else
        setWindowTitle(runCaption(QDateTime::currentDateTimeUtc()));
}

// Red for a map that could not be had; white over a map on its way.
void Form1::showNote(int message, bool problem)
{
    m_note = message;
    m_noteProblem = problem;
    if (!message) {
        mapNote->hide();
        return;
    }
    const QString text = msg(message);
    QPalette palette = mapNote->palette();
    palette.setColor(QPalette::WindowText, problem ? QColor(Qt::red) : QColor(Qt::white));
    mapNote->setPalette(palette);
    mapNote->setText(text);
    layout()->invalidate();  // centred anew for its new text
    mapNote->raise();
    mapNote->show();
}

void Form1::showSelectedMap(const MapSelection &selection)
{
    m_model.setLoading(false);
    const QImage map = mapHolder->picture();
    if (!map.isNull())
        m_model.setMapSize(map.size());
    // The value box read the picture as it was: a redrawn map makes its text stale.
    valueBox->hide();
    // Without a map, nothing of the last one may stay under the notice. Held back at
    // start-up, the map is still to come.
    if (map.isNull() && m_service->held())
        showNote(int(Msg::Loading), false);
    else
        showNote(map.isNull() ? int(Msg::NoPicture) : 0, true);
    paintMap(map);
    if (!selection.archive)
        drawPlaceMarker();
    paintLegendStrip(map, selection.archive);
    // The archive maps shown last are the last the cache limit removes.
    if (selection.archive && !map.isNull())
        m_service->noteArchiveShown(selectionCacheName(selection));
}

void Form1::showView()
{
    zoomLabel->setText(m_model.zoomText());
    if (m_liveView)
        redrawMap();
    else
        RefreshPicture();
}

// The map on display drawn again at the present view; nothing while another is on its way.
void Form1::redrawMap()
{
    const MapSelection selection = m_model.selection();
    if (m_model.loading() || m_shownName.isEmpty() || selectionCacheName(selection) != m_shownName)
        return;
    valueBox->hide();
    paintMap(mapHolder->picture());
    if (!selection.archive)
        drawPlaceMarker();
}

// Black first: a pan would otherwise leave pieces of the last picture that the readout
// would decode as weather.
void Form1::paintMap(const QImage &map)
{
    mapPicture->showPicture(map, mapRectPixels(m_model.offsetX(), m_model.offsetY(), m_model.zoom(), map.size()));
}

void Form1::drawPlaceMarker()
{
    const QPointF place = m_model.placeOnMap();
    // In single precision, as the place and the view are kept.
    const float x = (m_model.offsetX() + float(place.x())) * m_model.zoom();
    const float y = (m_model.offsetY() + float(place.y())) * m_model.zoom();
    mapPicture->drawRectOutline(squarePixels(x, y, OuterMarkerHalf), Qt::blue);
    mapPicture->drawRectOutline(squarePixels(x, y, InnerMarkerHalf), Qt::red);
}

void Form1::paintLegendStrip(const QImage &map, bool archive)
{
    legendStrip->clearCanvas();
    if (!map.isNull())
        legendStrip->paintPictureRegion(map, QPoint(0, 0), QRect(legendOrigin(archive), legendStrip->size()));
}
