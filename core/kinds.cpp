#include "core/kinds.h"

#include <limits>

namespace {

const std::array<MapKind, 7> kinds = {{
    {1, "temp", 5, 48},
    {2, "prec", 4, 49},
    {3, "nebu", 3, 50},
    {4, "p850", 2, 51},
    {5, "orag", 11, 52},
    {6, "p500", 1, 47},
    {7, "vent", 8, 53},
}};

bool isOrag(const MapKind &kind) { return kind.code == 11; }

QString archiveDate(int year, int month, int day)
{
    return QStringLiteral("%1%2%3")
        .arg(year)
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(day, 2, 10, QLatin1Char('0'));
}

} // namespace

const std::array<MapKind, 7> &mapKinds() { return kinds; }

const MapKind *kindByNumber(int number)
{
    if (number < 1 || number > int(kinds.size()))
        return nullptr;
    return &kinds[number - 1];
}

const MapKind *kindByKey(const QString &key)
{
    for (const MapKind &kind : kinds)
        if (key == QLatin1String(kind.key))
            return &kind;
    return nullptr;
}

qint64 forecastHour(qint64 step) { return 6 * (step + 1); }

QString mapNumber(const MapKind &kind, qint64 step)
{
    const qint64 factor = isOrag(kind) ? 100 : 10;
    // A step whose map number does not fit in 64 bits names no map at all.
    const qint64 maxStep = (std::numeric_limits<qint64>::max() - kind.code) / (6 * factor) - 1;
    if (step < 0 || step > maxStep)
        return QString();
    const qint64 number = forecastHour(step) * factor + kind.code;
    return QStringLiteral("%1").arg(number, isOrag(kind) ? 4 : 3, 10, QLatin1Char('0'));
}

QString forecastMapFile(const MapKind &kind, qint64 step)
{
    const QString number = mapNumber(kind, step);
    return number.isEmpty() ? QString() : QStringLiteral("Rtavn") + number + QStringLiteral(".gif");
}

QString forecastCacheName(const MapKind &kind, qint64 step)
{
    if (step < 0)
        return QString();
    return QLatin1String(kind.key) + QString::number(step) + QStringLiteral(".png");
}

QString archiveMapPath(ArchiveLevel level, int year, int month, int day)
{
    const QString stem = level == ArchiveLevel::P500 ? QStringLiteral("/Rrea001") : QStringLiteral("/Rrea002");
    return QString::number(year) + stem + archiveDate(year, month, day) + QStringLiteral(".gif");
}

QString archiveCacheName(ArchiveLevel level, int year, int month, int day)
{
    const QString stem = level == ArchiveLevel::P500 ? QStringLiteral("p500a") : QStringLiteral("p850a");
    return stem + archiveDate(year, month, day) + QStringLiteral(".gif");
}
