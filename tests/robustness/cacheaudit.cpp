#include "cacheaudit.h"

#include "mapserver/demoserver.h"
#include "retrieval/retrievalservice.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

QStringList CacheAudit::temporaries() const
{
    static const QRegularExpression temporary(QStringLiteral("^.+\\.(png|gif)\\.[A-Za-z0-9]{6}$"));
    QStringList names = strays;
    names.removeIf([](const QString &name) { return !temporary.match(name).hasMatch(); });
    return names;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

CacheAudit auditCache(const QString &folder, const AllowedMaps &allowed)
{
    CacheAudit audit;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        if (name == QLatin1String("log.txt"))
            continue;
        if (!allowed.contains(name))
            audit.strays.append(name);
        else if (allowed.value(name).contains(fileBytes(dir.filePath(name))))
            audit.whole.append(name);
        else
            audit.wrong.append(name);
    }
    return audit;
}

QList<QPair<QString, QString>> forecastMaps(int lastStep)
{
    // The order downloadAll fetches them in.
    QList<QPair<QString, QString>> maps;
    for (int step = 0; step <= lastStep; ++step) {
        for (int number = 1; number <= 7; ++number) {
            const MapKind &kind = *kindByNumber(number);
            maps.append({forecastCacheName(kind, step), QStringLiteral("/wz/pics/") + forecastMapFile(kind, step)});
        }
    }
    return maps;
}

AllowedMaps servedMaps(DemoMapServer &server, int lastStep)
{
    AllowedMaps maps;
    for (const auto &[name, path] : forecastMaps(lastStep))
        maps[name].append(server.mapBytes(path));
    return maps;
}

std::unique_ptr<RetrievalService> serviceOn(const QString &hostPort, const QString &cacheDir)
{
    auto service = std::make_unique<RetrievalService>(cacheDir, QStringList{hostPort, hostPort, hostPort});
    service->servers().SwitchArchiveServer();
    service->servers().SwitchNormalServer();
    service->setDirect(true);
    service->log().StartLog();
    return service;
}

void prerenderAndWait(DemoMapServer &server, int lastStep, int timeoutMs)
{
    server.prerender(lastStep);
    const QDeadlineTimer deadline(timeoutMs);
    while (server.prerendering() && !deadline.hasExpired())
        QThread::msleep(20);
}
