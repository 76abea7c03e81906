// "Télécharger tout": the 217 maps of a run (steps 0 to 30, seven kinds) fetched by
// downloadAll, against curl fetching the same addresses in one invocation. Runs alternate
// so every contender sees the same machine load; medians are compared.
//   plain:   a plain keep-alive server in the bench (the client's own cost), empty cache
//   cached:  the same over a cache that already holds the run (what the command really does)
//   memory:  "cached" in a folder on a memory file system (/dev/shm), no target: the
//            client's cost without the disk file system's, whose inode allocation is slow
//            right after many files were removed (each map replaced removes one)
//   demo:    the demonstration server, maps prerendered before timing (only when asked:
//            its own answering cost is not the client's, and the run must stay short)
//   delayed: the plain server answering each request after 30 ms, as a distant server
//            would; here fetching several at once must pay, so curl --parallel is shown too
// Arguments name the sections to run (all but demo by default), e.g. "bench_download delayed".
#include "bench/benchserver.h"
#include "bench/benchsupport.h"
#include "mapserver/demoserver.h"
#include "retrieval/retrievalservice.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <functional>

namespace {

constexpr int MaxStep = 30;
constexpr int DelayMs = 30;
constexpr int LoopbackRounds = 7;
constexpr int DelayedRounds = 3;
constexpr int PassTimeoutMs = 60000;

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

// Writes the run's maps into folder, as a cache that already holds the run.
void fillCache(const QString &folder, const QList<Map> &maps, const QHash<QString, QByteArray> &expected)
{
    for (const Map &map : maps) {
        QFile file(QDir(folder).filePath(map.cacheName));
        if (file.open(QIODevice::WriteOnly))
            file.write(expected.value(QUrl(map.url).path()));
    }
}

// Seconds of one "Télécharger tout" into folder; -1 when a map failed or it never ended.
double timeCartavent(const QString &folder, const QStringList &hosts)
{
    const auto service = bench::makeService(folder, hosts);
    QElapsedTimer clock;
    clock.start();
    const int failures = bench::waitForBatch(service->downloadAll(MaxStep), PassTimeoutMs);
    const double seconds = clock.nsecsElapsed() / 1e9;
    if (failures != 0)
        bench::note(QStringLiteral("Cartavent: %1").arg(failures < 0 ? QStringLiteral("no end") : QStringLiteral("%1 maps failed").arg(failures)));
    return failures == 0 ? seconds : -1;
}

// curl reads url/output pairs from a config file: one process, its connections reused.
double timeCurl(const QString &curl, const QStringList &options, const QString &folder, const QList<Map> &maps)
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
    const int code = bench::runProcess(curl, QStringList{QStringLiteral("--silent"), QStringLiteral("--show-error"),
                                                         QStringLiteral("--no-progress-meter"), QStringLiteral("--fail"),
                                                         QStringLiteral("--fail-early")}
                                                 + options + QStringList{QStringLiteral("--config"), config});
    const double seconds = clock.nsecsElapsed() / 1e9;
    return code == 0 ? seconds : -1;
}

struct Contender {
    QString name;
    std::function<double(const QString &folder)> time;  // -1: went wrong
};

// The first contender's median over the reference's is at most maxRatio.
struct Goal {
    int reference;
    double maxRatio;
};

enum class Cache { Empty, HoldsRun };

// Alternating rounds of every contender, in folders under parent (empty: the temporary
// folder); false when a transfer went wrong. Without goals the ratios are only noted.
bool compare(const QString &label, const QList<Contender> &contenders, const QList<Goal> &goals, int rounds,
             const QList<Map> &maps, const QHash<QString, QByteArray> &expected, Cache cache,
             const QString &parent = {})
{
    qint64 totalBytes = 0;
    for (const Map &map : maps)
        totalBytes += expected.value(QUrl(map.url).path()).size();
    const QTemporaryDir scratch = parent.isEmpty() ? QTemporaryDir()
                                                   : QTemporaryDir(QDir(parent).filePath(QStringLiteral("bench_download-XXXXXX")));
    if (!scratch.isValid()) {
        bench::note(QStringLiteral("%1: no scratch folder: %2").arg(label, scratch.errorString()));
        return false;
    }
    QList<QList<double>> seconds(contenders.size());
    for (int round = 1; round <= rounds; ++round) {
        QStringList line;
        for (qsizetype c = 0; c < contenders.size(); ++c) {
            const Contender &contender = contenders.at(c);
            const QString folder = scratch.filePath(QStringLiteral("%1-%2").arg(contender.name).arg(round));
            QDir().mkpath(folder);
            if (cache == Cache::HoldsRun)
                fillCache(folder, maps, expected);
            const double s = contender.time(folder);
            const QString problem = s < 0 ? QStringLiteral("failed") : checkMaps(folder, maps, expected);
            if (!problem.isEmpty()) {
                bench::note(QStringLiteral("%1, %2: %3").arg(label, contender.name, problem));
                return false;
            }
            seconds[c].append(s);
            line.append(QStringLiteral("%1 %2 s (%3 ms a map)")
                            .arg(contender.name)
                            .arg(s, 0, 'f', 3)
                            .arg(s * 1000 / maps.size(), 0, 'f', 2));
        }
        bench::note(QStringLiteral("%1 round %2: %3").arg(label).arg(round).arg(line.join(QStringLiteral(", "))));
    }
    bench::note(QStringLiteral("%1: %2 maps, %3 KiB, medians of %4 rounds").arg(label).arg(maps.size()).arg(totalBytes / 1024).arg(rounds));
    for (qsizetype c = 0; c < contenders.size(); ++c) {
        bench::report(QStringLiteral("download_all_%1_%2").arg(label, contenders.at(c).name), bench::median(seconds.at(c)),
                      QStringLiteral("s"), c == 0 ? QStringLiteral("see ratios") : QStringLiteral("reference"), true);
    }
    for (qsizetype c = 1; goals.isEmpty() && c < contenders.size(); ++c) {
        bench::note(QStringLiteral("%1: %2 over %3: %4x")
                        .arg(label, contenders.at(0).name, contenders.at(c).name)
                        .arg(bench::median(seconds.at(0)) / bench::median(seconds.at(c)), 0, 'f', 2));
    }
    for (const Goal &goal : goals) {
        const double ratio = bench::median(seconds.at(0)) / bench::median(seconds.at(goal.reference));
        bench::report(QStringLiteral("download_all_%1_ratio_to_%2").arg(label, contenders.at(goal.reference).name), ratio,
                      QStringLiteral("x"), QStringLiteral("at most %1").arg(goal.maxRatio), ratio <= goal.maxRatio, 2);
    }
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
    QStringList sections = app.arguments().mid(1);
    if (sections.isEmpty())
        sections = {QStringLiteral("plain"), QStringLiteral("cached"), QStringLiteral("memory"), QStringLiteral("delayed")};

    DemoMapServer demo;
    if (!demo.start()) {
        bench::note(QStringLiteral("the demonstration server could not start"));
        return 1;
    }
    // Rendering is the server's cost, not the client's: finish it before any timing.
    QElapsedTimer renderClock;
    renderClock.start();
    demo.prerender(MaxStep);
    while (demo.prerendering())
        QThread::msleep(20);
    const QStringList demoHosts = bench::sameHostEverywhere(demo.hostPort());
    QHash<QString, QByteArray> expected;
    for (const Map &map : runMaps(demoHosts)) {
        const QString path = QUrl(map.url).path();
        expected.insert(path, demo.mapBytes(path));
    }
    bench::note(QStringLiteral("maps prerendered in %1 s").arg(renderClock.elapsed() / 1000.0, 0, 'f', 1));

    BenchServer plain;
    BenchServer slow;
    plain.setFiles(expected);
    slow.setFiles(expected);
    slow.setDelayMs(DelayMs);
    if (!plain.startServing() || !slow.startServing()) {
        bench::note(QStringLiteral("the plain servers could not listen"));
        return 1;
    }

    const auto contenders = [&curl](const QStringList &hosts, bool parallelCurl) {
        QList<Contender> list{
            {QStringLiteral("cartavent"), [hosts](const QString &folder) { return timeCartavent(folder, hosts); }},
        };
        const QList<Map> maps = runMaps(hosts);
        list.append({QStringLiteral("curl"), [curl, maps](const QString &folder) { return timeCurl(curl, {}, folder, maps); }});
        if (parallelCurl) {
            const QStringList options{QStringLiteral("--parallel"), QStringLiteral("--parallel-max"), QStringLiteral("4")};
            list.append({QStringLiteral("curl_parallel4"),
                         [curl, maps, options](const QString &folder) { return timeCurl(curl, options, folder, maps); }});
        }
        return list;
    };
    const QStringList plainHosts = bench::sameHostEverywhere(plain.hostPort());
    const QStringList slowHosts = bench::sameHostEverywhere(slow.hostPort());
    const QList<Goal> asFastAsCurl{{1, 1.1}};
    bool ok = true;
    if (ok && sections.contains(QLatin1String("plain")))
        ok = compare(QStringLiteral("plain_server"), contenders(plainHosts, false), asFastAsCurl, LoopbackRounds,
                     runMaps(plainHosts), expected, Cache::Empty);
    if (ok && sections.contains(QLatin1String("cached")))
        ok = compare(QStringLiteral("plain_server_over_cached_run"), contenders(plainHosts, false), asFastAsCurl,
                     LoopbackRounds, runMaps(plainHosts), expected, Cache::HoldsRun);
    const QString memory = QStringLiteral("/dev/shm");
    if (ok && sections.contains(QLatin1String("memory")) && QFileInfo(memory).isWritable())
        ok = compare(QStringLiteral("plain_server_over_cached_run_in_memory"), contenders(plainHosts, false), {},
                     LoopbackRounds, runMaps(plainHosts), expected, Cache::HoldsRun, memory);
    if (ok && sections.contains(QLatin1String("demo")))
        ok = compare(QStringLiteral("demo_server"), contenders(demoHosts, false), asFastAsCurl, LoopbackRounds,
                     runMaps(demoHosts), expected, Cache::Empty);
    if (ok && sections.contains(QLatin1String("delayed"))) {
        bench::note(QStringLiteral("delayed: every answer %1 ms after its request").arg(DelayMs));
        ok = compare(QStringLiteral("delayed_%1ms").arg(DelayMs), contenders(slowHosts, true), {{1, 0.35}, {2, 1.3}},
                     DelayedRounds, runMaps(slowHosts), expected, Cache::Empty);
    }
    return ok ? 0 : 1;
}
