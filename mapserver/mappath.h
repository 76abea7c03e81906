#pragma once
// The paths the demonstration server answers, and what map each one names.
#include "mapserver/mapkinds.h"

#include <QDate>
#include <QString>
#include <optional>

struct MapRequest {
    enum Type { Forecast, Archive };
    Type type = Forecast;
    const DemoKind *kind = nullptr;
    int step = 0;   // forecast: step index, forecast hour 6 * (step + 1)
    QDate day;      // archive
};

constexpr int DemoMaxStep = 80;   // forecast hour 486
constexpr int ArchiveFirstYear = 1956;
constexpr int ArchiveLastYear = 2005;

// /wz/pics/Rtavn<number>.gif, /pics/Rtavn<number>.gif with the number written exactly as
// the catalogue writes it, or /archive/ra/<yyyy>/Rrea001|002<yyyymmdd>.gif for a real day
// of the archive years. A query string is ignored. Anything else: nullopt.
std::optional<MapRequest> parseMapPath(const QString &path);
