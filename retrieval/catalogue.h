#pragma once
// Map kinds, map numbers, cache names, server addresses and the server rotation.
#include <QString>
#include <QStringList>
#include <array>

struct MapKind {
    int number;          // 1..7
    const char *key;     // temp, prec, nebu, p850, orag, p500, vent
    const char *option;  // object name of the option button that selects it
    int code;            // map code on the server
    int message;         // status message naming it while it downloads
};

// By kind number: index 0 is kind 1 (temp) ... index 6 is kind 7 (vent).
const std::array<MapKind, 7> &mapKinds();
const MapKind *kindByNumber(int number);    // nullptr outside 1..7
const MapKind *kindByKey(const QString &key);

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

QString joinPath(const QString &folder, const QString &name);  // folder + "/" + name

// A host as given: "host:port" is plain HTTP; "https://host[:port]" (or "http://...") keeps
// its scheme. The result has no trailing slash.
QString hostOrigin(const QString &host);

// Hosts as host:port or https://host[:port]: [0] map server 1; [1] map server 2 and archive server 2;
// [2] map server 3 and archive server 1.
struct Servers {
    QStringList hosts;
    QString NormalServer;
    int iNS = 0;
    QString ArchiveServer;
    int iAS = 0;

    QString mapServerBase(int i) const;      // i = 1..3, "http://host/wz/pics/" or ".../pics/"
    QString archiveServerBase(int i) const;  // i = 1..2, "http://host/archive/ra/"
    void SwitchNormalServer();
    void SwitchArchiveServer();
};
