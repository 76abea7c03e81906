#include "core/viewermodel.h"
#include "shell/messages.h"


#include <QRectF>
#include <QtGlobal>
#include <algorithm>

ViewerModel::ViewerModel(QObject *parent) : QObject(parent) {}

void ViewerModel::setMode(Mode mode)
{
    if (!replace(m_mode, mode))
        return;
    Q_EMIT modeChanged(mode);
    Q_EMIT selectionChanged();
}

void ViewerModel::setKind(int number)
{
    if (number < 1 || number > 7 || number == m_kind)
        return;
    m_kind = number;
    Q_EMIT selectionChanged();
}

void ViewerModel::setStep(int step)
{
    step = qBound(0, step, m_maxStep);
    if (step == m_step)
        return;
    m_step = step;
    Q_EMIT stepChanged(step);
    Q_EMIT selectionChanged();
}

void ViewerModel::setMaxStep(int step)
{
    step = qBound(1, step, LastMaxStep);
    if (step == m_maxStep)
        return;
    m_maxStep = step;
    Q_EMIT maxStepChanged(step);
    if (m_step > step)
        setStep(step);
}

void ViewerModel::setArchiveLevel(ArchiveLevel level)
{
    if (replace(m_level, level))
        Q_EMIT selectionChanged();
}

bool ViewerModel::setArchiveDate(int year, int month, int day)
{
    const QDate date(year, month, day);
    if (!date.isValid()) {
        Q_EMIT archiveDateRefused(year, month, day);
        return false;
    }
    if (replace(m_date, date)) {
        Q_EMIT archiveDateChanged();
        Q_EMIT selectionChanged();
    }
    return true;
}

void ViewerModel::setArchiveYear(int year) { setArchiveDate(year, archiveMonth(), archiveDay()); }
void ViewerModel::setArchiveMonth(int month) { setArchiveDate(archiveYear(), month, archiveDay()); }
void ViewerModel::setArchiveDay(int day) { setArchiveDate(archiveYear(), archiveMonth(), day); }

void ViewerModel::setArchiveDayOfYear(int day)
{
    const QDate first(archiveYear(), 1, 1);
    const QDate date = first.addDays(qBound(1, day, first.daysInYear()) - 1);
    setArchiveDate(date.year(), date.month(), date.day());
}

MapSelection ViewerModel::selection() const
{
    MapSelection s;
    s.archive = archive();
    s.kindNumber = m_kind;
    s.step = m_step;
    s.level = m_level;
    s.year = archiveYear();
    s.month = archiveMonth();
    s.day = archiveDay();
    return s;
}

namespace {

constexpr float TwipsPerPixel = 15.0f;
constexpr float ZoomLevels[] = {1.0f, 2.0f, 4.0f, 8.0f};

// The zoom level steps away from `zoom`; a fitted zoom between levels counts the nearest
// level in that direction as the first step.
float zoomLevel(float zoom, int steps)
{
    for (; steps > 0; --steps) {
        const float *next = std::upper_bound(std::begin(ZoomLevels), std::end(ZoomLevels), zoom);
        zoom = next == std::end(ZoomLevels) ? std::max(zoom, ZoomLevels[3]) : *next;
    }
    for (; steps < 0; ++steps) {
        const float *below = std::lower_bound(std::begin(ZoomLevels), std::end(ZoomLevels), zoom);
        zoom = below == std::begin(ZoomLevels) ? std::min(zoom, ZoomLevels[0]) : *(below - 1);
    }
    return zoom;
}

} // namespace

void ViewerModel::setViewSize(QSize pixels) { m_viewSize = pixels; }
void ViewerModel::setMapSize(QSize pixels) { m_mapSize = pixels; }

void ViewerModel::zoomIn() { zoomAt(1, QRectF(QPointF(), QSizeF(m_viewSize)).center()); }
void ViewerModel::zoomOut() { zoomAt(-1, QRectF(QPointF(), QSizeF(m_viewSize)).center()); }

void ViewerModel::zoomAt(int steps, QPointF pixel)
{
    const float zoom = zoomLevel(m_zoom, steps);
    // The map point under the pixel, in unzoomed twips, stays there.
    const float x = float(pixel.x()) * TwipsPerPixel;
    const float y = float(pixel.y()) * TwipsPerPixel;
    const float mapX = x / m_zoom - m_offsetX;
    const float mapY = y / m_zoom - m_offsetY;
    setView(zoom, x / zoom - mapX, y / zoom - mapY);
}

void ViewerModel::pan(float dx, float dy) { setView(m_zoom, m_offsetX + dx, m_offsetY + dy); }

void ViewerModel::panBy(QPointF pixels)
{
    pan(float(pixels.x()) * TwipsPerPixel / m_zoom, float(pixels.y()) * TwipsPerPixel / m_zoom);
}

void ViewerModel::fitView()
{
    if (m_viewSize.isEmpty() || m_mapSize.isEmpty())
        return;
    const float zoom = std::min({float(m_viewSize.width()) / float(m_mapSize.width()),
                                 float(m_viewSize.height()) / float(m_mapSize.height()), MaxZoom});
    const auto centred = [zoom](int view, int map) {
        return (float(view) - float(map) * zoom) / 2 * TwipsPerPixel / zoom;
    };
    setView(zoom, centred(m_viewSize.width(), m_mapSize.width()), centred(m_viewSize.height(), m_mapSize.height()));
}

void ViewerModel::homeView() { setView(MinZoom, HomeOffsetX, HomeOffsetY); }

QString ViewerModel::zoomText() const
{
    if (std::find(std::begin(ZoomLevels), std::end(ZoomLevels), m_zoom) != std::end(ZoomLevels))
        return QStringLiteral("×") + QString::number(m_zoom);
    return QString::number(qRound(m_zoom * 100)) + msg(Msg::PercentUnit);
}

// A press that changes nothing (zoom at its limit) still redraws, as it always did.
void ViewerModel::setView(float zoom, float offsetX, float offsetY)
{
    m_zoom = zoom;
    m_offsetX = boundOffset(offsetX, zoom, m_viewSize.width(), m_mapSize.width());
    m_offsetY = boundOffset(offsetY, zoom, m_viewSize.height(), m_mapSize.height());
    Q_EMIT viewChanged();
}

// Along one axis: the map keeps covering half of the area, or all of itself when it is
// smaller than that.
float ViewerModel::boundOffset(float offset, float zoom, int viewPixels, int mapPixels) const
{
    if (viewPixels <= 0 || mapPixels <= 0)
        return offset;
    const float scaled = float(mapPixels) * zoom;
    const float need = std::min(float(viewPixels), scaled) / 2;
    const float edge = offset * zoom / TwipsPerPixel;  // the map's near edge, in pixels
    const float bounded = std::clamp(edge, need - scaled, float(viewPixels) - need);
    return bounded == edge ? offset : bounded * TwipsPerPixel / zoom;
}

void ViewerModel::setPlace(float x, float y, float x2, float y2)
{
    m_placeX = x;
    m_placeY = y;
    m_placeX2 = x2;
    m_placeY2 = y2;
    Q_EMIT placeChanged();
}

QPointF ViewerModel::placeOnMap() const
{
    constexpr int StormKind = 5;
    constexpr int WindKind = 7;
    const bool windFrame = m_kind == StormKind || m_kind == WindKind;
    return windFrame ? QPointF(m_placeX2, m_placeY2) : QPointF(m_placeX, m_placeY);
}

void ViewerModel::setAnimating(bool on)
{
    if (replace(m_animating, on))
        Q_EMIT animatingChanged(on);
}

void ViewerModel::animationTick()
{
    if (m_loading)
        return;
    if (!archive()) {
        setStep(m_step < m_maxStep ? m_step + 1 : 0);
        return;
    }
    if (m_date.dayOfYear() < m_date.daysInYear()) {
        const QDate next = m_date.addDays(1);
        setArchiveDate(next.year(), next.month(), next.day());
        return;
    }
    // On to the next later year, never the newest one.
    const int year = archiveYear();
    setArchiveDate(year >= FirstArchiveYear && year < LastArchiveYear - 1 ? year + 1 : year, 1, 1);
}

void ViewerModel::setLoading(bool loading)
{
    if (replace(m_loading, loading))
        Q_EMIT loadingChanged(loading);
}

void ViewerModel::setDownloadAll(DownloadAll state)
{
    if (replace(m_downloadAll, state))
        Q_EMIT downloadAllChanged(state);
}

void ViewerModel::setLowBandwidth(bool on)
{
    if (replace(m_lowBandwidth, on))
        Q_EMIT lowBandwidthChanged(on);
}

void ViewerModel::setValueBox(bool on)
{
    if (replace(m_valueBox, on))
        Q_EMIT valueBoxChanged(on);
}

void ViewerModel::setLanguage(const QString &name)
{
    if (replace(m_language, name))
        Q_EMIT languageChanged(name);
}
