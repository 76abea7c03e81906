#pragma once
// What a download of forecast maps left in a cache folder, held against what may stand there.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QStringList>

class DemoMapServer;

struct CacheAudit {
    QStringList whole;    // a map's name holding bytes it may hold
    QStringList wrong;    // a map's name holding anything else: a partial or foreign map
    QStringList strays;   // neither a map's name nor log.txt
    QStringList temporaries() const;  // the strays that are a save's temporary file
};

// By cache name, every content each map may have.
using AllowedMaps = QHash<QString, QList<QByteArray>>;

CacheAudit auditCache(const QString &folder, const AllowedMaps &allowed);

// The forecast maps of steps 0..lastStep as the server serves them now.
AllowedMaps servedMaps(DemoMapServer &server, int lastStep);
// By cache name, the server path of each forecast map of steps 0..lastStep, in fetch order.
QList<QPair<QString, QString>> forecastMaps(int lastStep);

// The bytes of a file; empty when it cannot be read.
QByteArray fileBytes(const QString &path);
