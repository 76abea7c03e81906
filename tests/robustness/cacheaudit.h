#pragma once
// What a download of forecast maps left in a cache folder, held against what may stand there;
// and the service and server set up as the robustness tests run them.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QStringList>

#include <memory>

class DemoMapServer;
class RetrievalService;

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

// A service whose three hosts are hostPort, on map server 2 and archive server 2 as after
// start-up, its log started.
std::unique_ptr<RetrievalService> serviceOn(const QString &hostPort, const QString &cacheDir);

// The server renders the maps of steps 0..lastStep before the test asks for them, so that
// only the faults make a map slow; gives up waiting after timeoutMs.
void prerenderAndWait(DemoMapServer &server, int lastStep, int timeoutMs = 120000);
