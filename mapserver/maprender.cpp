#include "mapserver/maprender.h"

#include "mapserver/mappainter.h"

#include <QDateTime>
#include <QTimeZone>

#include <cmath>

namespace {

QDateTime utcFromHour(double hour)
{
    return QDateTime::fromSecsSinceEpoch(qint64(std::llround(hour * 3600.0)), QTimeZone::utc());
}

// "JEU 12.01.2024 12 UTC", the same on every machine.
QString frenchTime(const QDateTime &t)
{
    static const char *const days[] = {"LUN", "MAR", "MER", "JEU", "VEN", "SAM", "DIM"};
    return QStringLiteral("%1 %2 %3 UTC")
        .arg(QLatin1String(days[t.date().dayOfWeek() - 1]), t.toString(QStringLiteral("dd.MM.yyyy")),
             t.toString(QStringLiteral("HH")));
}

} // namespace

MapCaption mapCaption(const MapRequest &request, int runId)
{
    MapCaption c;
    const QString title = QString::fromUtf8(request.kind->title);
    if (request.type == MapRequest::Archive) {
        c.title = QStringLiteral("RÉANALYSE  ") + title;
        c.line1 = QStringLiteral("ANALYSE DU ") + frenchTime(utcFromHour(archiveValidHour(request.day)));
        c.line2 = QStringLiteral("ARCHIVES %1-%2").arg(ArchiveFirstYear).arg(ArchiveLastYear);
        return c;
    }
    c.title = QStringLiteral("GFS  ") + title;
    c.line1 = QStringLiteral("+%1H  VALIDE ").arg(6 * (request.step + 1))
        + frenchTime(utcFromHour(forecastValidHour(runId, request.step)));
    c.line2 = QStringLiteral("RUN DU ") + frenchTime(utcFromHour(runId * 6.0));
    return c;
}

int clockRunId(qint64 secondsSinceEpoch)
{
    return int(secondsSinceEpoch / (6 * 3600));
}

int newestRunId(qint64 secondsSinceEpoch)
{
    return clockRunId(secondsSinceEpoch) - 1;
}

double forecastValidHour(int runId, int step)
{
    return runId * 6.0 + 6.0 * (step + 1);
}

double archiveValidHour(const QDate &day)
{
    return double(QDateTime(day, QTime(12, 0), QTimeZone::utc()).toSecsSinceEpoch()) / 3600.0;
}

WeatherModel modelFor(const MapRequest &request, int runId)
{
    if (request.type == MapRequest::Archive)
        return WeatherModel(archiveValidHour(request.day));
    return WeatherModel(forecastValidHour(runId, request.step), runId, 6.0 * (request.step + 1));
}

QImage renderMap(const MapRequest &request, int runId)
{
    return paintMap(*request.kind, request.type == MapRequest::Archive, modelFor(request, runId),
                    mapCaption(request, runId));
}
