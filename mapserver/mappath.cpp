#include "mapserver/mappath.h"

#include <QRegularExpression>

namespace {

std::optional<MapRequest> parseForecastNumber(const QString &digits)
{
    if (digits.size() > 7)
        return std::nullopt;
    const int number = digits.toInt();
    MapRequest r;
    int hour = 0;
    QString canonical;
    if (number % 100 == 11 && (number / 100) % 6 == 0) {
        hour = number / 100;
        r.kind = demoKindByCode(11);
        canonical = QStringLiteral("%1").arg(number, 4, 10, QLatin1Char('0'));
    } else {
        hour = number / 10;
        r.kind = demoKindByCode(number % 10);
        canonical = QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0'));
    }
    if (!r.kind || hour < 6 || hour % 6 != 0 || digits != canonical)
        return std::nullopt;
    r.step = hour / 6 - 1;
    if (r.step > DemoMaxStep)
        return std::nullopt;
    return r;
}

} // namespace

std::optional<MapRequest> parseMapPath(const QString &rawPath)
{
    const QString path = rawPath.section(QLatin1Char('?'), 0, 0);
    static const QRegularExpression forecast(QStringLiteral("^/(?:wz/)?pics/Rtavn([0-9]+)\\.gif$"));
    static const QRegularExpression archive(
        QStringLiteral("^/archive/ra/([0-9]{4})/Rrea00([12])([0-9]{4})([0-9]{2})([0-9]{2})\\.gif$"));

    const QRegularExpressionMatch f = forecast.match(path);
    if (f.hasMatch())
        return parseForecastNumber(f.captured(1));

    const QRegularExpressionMatch a = archive.match(path);
    if (!a.hasMatch() || a.captured(1) != a.captured(3))
        return std::nullopt;
    MapRequest r;
    r.type = MapRequest::Archive;
    r.kind = demoKindByCode(a.captured(2).toInt());  // 1: 500 hPa, 2: 850 hPa
    r.day = QDate(a.captured(3).toInt(), a.captured(4).toInt(), a.captured(5).toInt());
    if (!r.kind || !r.day.isValid() || r.day.year() < ArchiveFirstYear || r.day.year() > ArchiveLastYear)
        return std::nullopt;
    return r;
}
