#include "bench/benchsupport.h"

#include "mapserver/demoserver.h"
#include "retrieval/retrievalservice.h"

#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace bench {

void report(const QString &name, double value, const QString &unit, const QString &target, bool met,
            int decimals)
{
    std::printf("%s: %s %s (target %s: %s)\n", qPrintable(name), qPrintable(QString::number(value, 'f', decimals)),
                qPrintable(unit), qPrintable(target), met ? "met" : "MISSED");
    std::fflush(stdout);
}

void note(const QString &text)
{
    std::printf("  # %s\n", qPrintable(text));
    std::fflush(stdout);
}

double cpuSeconds(CpuScope scope)
{
    rusage usage {};
    getrusage(scope == CpuScope::Process ? RUSAGE_SELF : RUSAGE_THREAD, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

qint64 statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

bool resetPeakRss()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (!refs.open(QIODevice::WriteOnly))
        return false;
    return refs.write("5") == 1 && refs.flush();
}

int runProcess(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            loop.quit();
    });
    process.start(program, arguments);
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    if (process.error() == QProcess::FailedToStart || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

std::unique_ptr<RetrievalService> makeService(const QString &cacheDir, const QStringList &hosts)
{
    auto service = std::make_unique<RetrievalService>(cacheDir, hosts);
    service->servers().SwitchArchiveServer();
    service->servers().SwitchNormalServer();
    service->log().StartLog();
    return service;
}

FetchOutcome fetchMap(RetrievalService &service, const QString &url, const QString &file, int timeoutMs)
{
    FetchHandle fetch = service.queue().request(url, file, true);
    if (fetch->state() != MapFetch::State::Done && !waitForSignal(fetch.get(), &MapFetch::finished, timeoutMs))
        return FetchOutcome{-1, QStringLiteral("no end after %1 ms").arg(timeoutMs), true};
    return fetch->outcome();
}

int waitForBatch(MapBatch *batch, int timeoutMs)
{
    // Read in the slot: a finished batch deletes itself once the loop runs again.
    int failures = -1;
    QObject guard;  // ends the connection with this call, whatever the batch does later
    QObject::connect(batch, &MapBatch::finished, &guard, [batch, &failures] { failures = batch->failures(); });
    if (batch->isFinished())
        return batch->failures();
    return waitForSignal(batch, &MapBatch::finished, timeoutMs) ? failures : -1;
}

QStringList sameHostEverywhere(const QString &hostPort) { return {hostPort, hostPort, hostPort}; }

bool cacheForecastMap(DemoMapServer &server, const QString &dir, const MapKind &kind, int step)
{
    const QByteArray bytes = server.mapBytes(QStringLiteral("/wz/pics/") + forecastMapFile(kind, step));
    QFile f(joinPath(dir, forecastCacheName(kind, step)));
    return !bytes.isEmpty() && f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

double best(const QList<double> &values)
{
    return values.isEmpty() ? 0 : *std::min_element(values.begin(), values.end());
}

} // namespace bench
