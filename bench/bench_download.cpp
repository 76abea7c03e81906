// Download all: the 217 maps of a run (steps 0 to 30, seven kinds) fetched by
// GetNewModeles, against curl fetching the same addresses one after the other in one
// invocation. Runs alternate so both see the same machine load; the best of each is
// compared. Two servers: the demonstration server, and a plain keep-alive server with the
// same bytes, which shows the client's own cost whatever the demonstration server does.
#include "bench/benchserver.h"
#include "bench/benchsupport.h"
#include "mapserver/demoserver.h"
#include "retrieval/retrievalservice.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

namespace {

constexpr int MaxStep = 30;
constexpr int Rounds = 3;
constexpr double TargetRatio = 1.2;

struct Map {
    QString url;
    QString cacheName;
};

QList<Map> runMaps(const QStringList &hosts)
{
    QTemporaryDir scratch;
    const auto service = bench::makeService(scratch.path(), hosts);
    QList<Map> maps;
    for (int step = 0; step <= MaxStep; ++step) {
        for (const MapKind &kind : mapKinds())
            maps.append({service->servers().NormalServer + forecastMapFile(kind, step), forecastCacheName(kind, step)});
    }
    return maps;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Empty when every map in folder holds the expected bytes, else the first difference.
QString checkMaps(const QString &folder, const QList<Map> &maps, const QHash<QString, QByteArray> &expected)
{
    for (const Map &map : maps) {
        const QByteArray bytes = readAll(QDir(folder).filePath(map.cacheName));
        if (bytes.isEmpty() || bytes != expected.value(QUrl(map.url).path()))
            return map.url + QStringLiteral(" arrived wrong in ") + folder;
    }
    return {};
}

double timeCartavent(const QString &folder, const QStringList &hosts)
{
    const auto service = bench::makeService(folder, hosts);
    QElapsedTimer clock;
    clock.start();
    for (int step = 0; step <= MaxStep; ++step)
        service->GetNewModeles(step, 0);
    return clock.nsecsElapsed() / 1e9;
}

// curl reads url/output pairs from a config file: one process, one connection reused.
double timeCurl(const QString &curl, const QString &folder, const QList<Map> &maps)
{
    const QString config = QDir(folder).filePath(QStringLiteral("curl.config"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return -1;
    for (const Map &map : maps)
        file.write(QStringLiteral("url = \"%1\"\noutput = \"%2\"\n").arg(map.url, QDir(folder).filePath(map.cacheName)).toUtf8());
    file.close();
    QElapsedTimer clock;
    clock.start();
    const int code = bench::runProcess(curl, {QStringLiteral("--silent"), QStringLiteral("--show-error"),
                                              QStringLiteral("--fail"), QStringLiteral("--fail-early"),
                                              QStringLiteral("--config"), config});
    const double seconds = clock.nsecsElapsed() / 1e9;
    return code == 0 ? seconds : -1;
}

// Writes the run's maps into folder, as a cache that already holds the run.
void fillCache(const QString &folder, const QList<Map> &maps, const QHash<QString, QByteArray> &expected)
{
    for (const Map &map : maps) {
        QFile file(QDir(folder).filePath(map.cacheName));
        if (file.open(QIODevice::WriteOnly))
            file.write(expected.value(QUrl(map.url).path()));
    }
}

enum class Cache { Empty, HoldsRun };

// Alternating rounds against one server; false when a transfer went wrong.
bool compare(const QString &label, const QString &curl, const QStringList &hosts,
             const QHash<QString, QByteArray> &expected, Cache cache)
{
    const QList<Map> maps = runMaps(hosts);
    qint64 totalBytes = 0;
    for (const Map &map : maps)
        totalBytes += expected.value(QUrl(map.url).path()).size();
    QTemporaryDir scratch;
    QList<double> ours, theirs;
    for (int round = 1; round <= Rounds; ++round) {
        const QString ourFolder = scratch.filePath(QStringLiteral("cartavent%1").arg(round));
        const QString theirFolder = scratch.filePath(QStringLiteral("curl%1").arg(round));
        QDir().mkpath(ourFolder);
        QDir().mkpath(theirFolder);
        if (cache == Cache::HoldsRun) {
            fillCache(ourFolder, maps, expected);
            fillCache(theirFolder, maps, expected);
        }
        const double a = timeCartavent(ourFolder, hosts);
        const double b = timeCurl(curl, theirFolder, maps);
        if (b < 0) {
            bench::note(label + QStringLiteral(": curl failed"));
            return false;
        }
        for (const QString &problem : {checkMaps(ourFolder, maps, expected), checkMaps(theirFolder, maps, expected)}) {
            if (!problem.isEmpty()) {
                bench::note(label + QStringLiteral(": ") + problem);
                return false;
            }
        }
        bench::note(QStringLiteral("%1 round %2: Cartavent %3 s (%4 ms a map), curl %5 s (%6 ms a map)")
                        .arg(label)
                        .arg(round)
                        .arg(a, 0, 'f', 3)
                        .arg(a * 1000 / maps.size(), 0, 'f', 2)
                        .arg(b, 0, 'f', 3)
                        .arg(b * 1000 / maps.size(), 0, 'f', 2));
        ours.append(a);
        theirs.append(b);
    }
    const double ratio = bench::best(ours) / bench::best(theirs);
    bench::note(QStringLiteral("%1: %2 maps, %3 KiB; median Cartavent %4 s, curl %5 s, ratio %6")
                    .arg(label)
                    .arg(maps.size())
                    .arg(totalBytes / 1024)
                    .arg(bench::median(ours), 0, 'f', 3)
                    .arg(bench::median(theirs), 0, 'f', 3)
                    .arg(bench::median(ours) / bench::median(theirs), 0, 'f', 2));
    const QString target = QStringLiteral("within %1x curl").arg(TargetRatio);
    bench::report(QStringLiteral("download_all_%1_cartavent").arg(label), bench::best(ours), QStringLiteral("s"), target,
                  ratio <= TargetRatio);
    bench::report(QStringLiteral("download_all_%1_curl").arg(label), bench::best(theirs), QStringLiteral("s"),
                  QStringLiteral("reference"), true);
    bench::report(QStringLiteral("download_all_%1_ratio").arg(label), ratio, QStringLiteral("x"),
                  QStringLiteral("at most %1").arg(TargetRatio), ratio <= TargetRatio, 2);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString curl = QStandardPaths::findExecutable(QStringLiteral("curl"));
    if (curl.isEmpty()) {
        bench::note(QStringLiteral("curl is not installed (apt-get install -y curl)"));
        return 1;
    }
    DemoMapServer demo;
    if (!demo.start()) {
        bench::note(QStringLiteral("the demonstration server could not start"));
        return 1;
    }
    // Rendering is the server's cost, not the client's: finish it before any timing.
    demo.prerender(MaxStep);
    while (demo.prerendering())
        QThread::msleep(20);
    const QStringList demoHosts = bench::sameHostEverywhere(demo.hostPort());
    QHash<QString, QByteArray> expected;
    for (const Map &map : runMaps(demoHosts)) {
        const QString path = QUrl(map.url).path();
        expected.insert(path, demo.mapBytes(path));
    }

    BenchServer plain;
    plain.setFiles(expected);
    if (!plain.startServing()) {
        bench::note(QStringLiteral("the plain server could not listen"));
        return 1;
    }
    // "demo" or "plain" as argument runs that half only (handy under a profiler).
    const QString only = app.arguments().value(1);
    bool ok = true;
    if (only.isEmpty() || only == QLatin1String("demo"))
        ok = compare(QStringLiteral("demo_server"), curl, demoHosts, expected, Cache::Empty);
    if (only.isEmpty() || only == QLatin1String("plain")) {
        const QStringList plainHosts = bench::sameHostEverywhere(plain.hostPort());
        ok = ok && compare(QStringLiteral("plain_server"), curl, plainHosts, expected, Cache::Empty);
        // What the command really does: fetch the run again over the cached maps.
        ok = ok && compare(QStringLiteral("plain_server_over_cached_run"), curl, plainHosts, expected, Cache::HoldsRun);
    }
    return ok ? 0 : 1;
}
