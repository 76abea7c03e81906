// CPU time the process spends while one transfer waits 5 s for a delayed answer. Waiting
// must sleep until the network wakes it, never spin.
#include "bench/benchsupport.h"
#include "mapserver/demoserver.h"
#include "retrieval/retrievalservice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

namespace {

constexpr int DelayMs = 5000;
constexpr double TargetSeconds = 0.05;
constexpr int FetchTimeoutMs = 30000;
constexpr int Rounds = 3;

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    DemoMapServer server;
    if (!server.start()) {
        bench::note(QStringLiteral("the demonstration server could not start"));
        return 1;
    }
    server.prerender(0);
    while (server.prerendering())
        QThread::msleep(20);
    QTemporaryDir dir;
    const auto service = bench::makeService(dir.path(), bench::sameHostEverywhere(server.hostPort()));
    const MapKind &slowKind = *kindByNumber(1);
    const MapKind &quickKind = *kindByNumber(6);
    Fault delay;
    delay.delayMs = DelayMs;
    server.setFault(QStringLiteral("*") + forecastMapFile(slowKind, 0), delay);

    // One quick map first: the transfer machinery and the connection are set up outside
    // the measured wait.
    const FetchOutcome warm = bench::fetchMap(*service, service->servers().NormalServer + forecastMapFile(quickKind, 0),
                                              service->cachePath(forecastCacheName(quickKind, 0)), FetchTimeoutMs);
    if (warm.error) {
        bench::note(QStringLiteral("the first map failed: %1 (%2)").arg(warm.text).arg(warm.error));
        return 1;
    }

    const QString url = service->servers().NormalServer + forecastMapFile(slowKind, 0);
    const QString file = service->cachePath(forecastCacheName(slowKind, 0));
    QList<double> processCpu;
    for (int round = 1; round <= Rounds; ++round) {
        QFile::remove(file);
        const double processBefore = bench::cpuSeconds(bench::CpuScope::Process);
        const double threadBefore = bench::cpuSeconds(bench::CpuScope::Thread);
        QElapsedTimer clock;
        clock.start();
        const FetchOutcome outcome = bench::fetchMap(*service, url, file, FetchTimeoutMs);
        const double wall = clock.elapsed() / 1000.0;
        const double process = bench::cpuSeconds(bench::CpuScope::Process) - processBefore;
        const double thread = bench::cpuSeconds(bench::CpuScope::Thread) - threadBefore;
        bench::note(QStringLiteral("round %1: wall %2 s, CPU of the whole process %3 s, of the waiting (main) "
                                   "thread %4 s, of the other threads (server) %5 s")
                        .arg(round)
                        .arg(wall, 0, 'f', 3)
                        .arg(process, 0, 'f', 4)
                        .arg(thread, 0, 'f', 4)
                        .arg(process - thread, 0, 'f', 4));
        // The server's timer is coarse: it may fire a little early.
        if (outcome.error || wall * 1000 < DelayMs * 0.9 || QFileInfo(file).size() <= 0) {
            bench::note(QStringLiteral("round %1: the delayed map did not arrive after the delay: %2 (%3)")
                            .arg(round)
                            .arg(outcome.text)
                            .arg(outcome.error));
            return 1;
        }
        processCpu.append(process);
    }
    const double med = bench::median(processCpu);
    bench::note(QStringLiteral("best %1 s, median %2 s over %3 rounds")
                    .arg(bench::best(processCpu), 0, 'f', 4)
                    .arg(med, 0, 'f', 4)
                    .arg(Rounds));
    bench::report(QStringLiteral("cpu_during_5s_wait"), med, QStringLiteral("s"),
                  QStringLiteral("under %1 s").arg(TargetSeconds), med < TargetSeconds, 4);
    return 0;
}
