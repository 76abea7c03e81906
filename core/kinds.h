#pragma once
// Map kinds, map numbers and cache names.
#include <QString>
#include <array>

struct MapKind {
    int number;          // 1..7
    const char *key;     // temp, prec, nebu, p850, orag, p500, vent
    int code;            // map code on the server
    int message;         // status message naming it while it downloads
};

// By kind number: index 0 is kind 1 (temp) ... index 6 is kind 7 (vent).
const std::array<MapKind, 7> &mapKinds();
const MapKind *kindByNumber(int number);    // nullptr outside 1..7
const MapKind *kindByKey(const QString &key);

// Largest maximum step: its hours (6 x step) must fit the 16-bit arithmetic of the step labels.
constexpr int MaxStepLimit = 5461;

// Forecast hour, map number and names for step index s. A negative step, or one whose
// map number would not fit in 64 bits, names no map: the names are then empty.
qint64 forecastHour(qint64 step);                        // 6 * (s + 1)
QString mapNumber(const MapKind &kind, qint64 step);     // "065", "0611", "1025"
QString forecastMapFile(const MapKind &kind, qint64 step);   // "Rtavn065.gif"
QString forecastCacheName(const MapKind &kind, qint64 step); // "temp0.png"

enum class ArchiveLevel { P500, P850 };
// year, month and day as read from the date lists (not validated: 31 February stays).
QString archiveMapPath(ArchiveLevel level, int year, int month, int day);  // "1990/Rrea00119900315.gif"
QString archiveCacheName(ArchiveLevel level, int year, int month, int day); // "p500a19900315.gif"
