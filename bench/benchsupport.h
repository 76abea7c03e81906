#pragma once
// Small helpers shared by the benchmark programs: result lines, CPU time, memory figures,
// and waiting for a child process without blocking the event loop (servers of the same
// thread must keep answering it).
#include <QEventLoop>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

class DemoMapServer;
class MapBatch;
class RetrievalService;
struct MapKind;
struct FetchOutcome;

namespace bench {

// "name: value unit (target ...: met|MISSED)", the line format scripts/bench.sh collects.
void report(const QString &name, double value, const QString &unit, const QString &target, bool met,
            int decimals = 3);
void note(const QString &text);  // a free line, prefixed so it stands apart from results

enum class CpuScope { Process, Thread };
double cpuSeconds(CpuScope scope);  // user + system time so far

// A field of /proc/self/status in KiB ("VmHWM", "VmRSS"); -1 when unreadable.
qint64 statusKiB(const char *field);
// Lowers the peak RSS to the current RSS (Linux clear_refs "5"); false when refused.
bool resetPeakRss();

// Runs program with arguments to its end, letting events run meanwhile. Returns the exit
// code, or -1 when it could not start or crashed; the error output goes to stderr.
int runProcess(const QString &program, const QStringList &arguments);

// A service on cacheDir using hosts, on map server 2 as after start-up, its log started.
std::unique_ptr<RetrievalService> makeService(const QString &cacheDir, const QStringList &hosts);
// The same host:port for all three server places.
QStringList sameHostEverywhere(const QString &hostPort);

// Runs the event loop until sender emits signal; false when timeoutMs passed first. Only a
// benchmark waits like this: the program itself reacts to the signal.
template <typename Sender, typename Signal>
bool waitForSignal(const Sender *sender, Signal signal, int timeoutMs)
{
    QEventLoop loop;
    bool arrived = false;
    QObject::connect(sender, signal, &loop, [&] {
        arrived = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return arrived;
}

// One map fetched through the service's queue, waited for. error -1 when it never ended.
FetchOutcome fetchMap(RetrievalService &service, const QString &url, const QString &file, int timeoutMs);
// Waits for a batch the service started; its failures, or -1 when it did not end in time.
int waitForBatch(MapBatch *batch, int timeoutMs);

// The demonstration server's forecast map of that kind and step in the cache folder, as a
// download leaves it; false when the server gave none or it could not be written.
bool cacheForecastMap(DemoMapServer &server, const QString &dir, const MapKind &kind, int step);

double median(QList<double> values);
double best(const QList<double> &values);

} // namespace bench
