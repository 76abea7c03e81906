// Peak memory growth of the process while a map fetch streams a 30 MiB body to the cache.
// The body must go to disk in chunks, so the growth should stay far below the body size.
#include "bench/benchsupport.h"
#include "bench/benchserver.h"
#include "retrieval/retrievalservice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

namespace {

constexpr qint64 BodyBytes = 30ll * 1024 * 1024;
constexpr double TargetMiB = 4;
constexpr int Rounds = 3;
constexpr int FetchTimeoutMs = 60000;

// Empty when the file holds exactly the body the server sent, else what is wrong.
QString checkBody(const QString &path, qint64 expectedSize)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("file missing");
    if (file.size() != expectedSize)
        return QStringLiteral("file has %1 bytes, expected %2").arg(file.size()).arg(expectedSize);
    qint64 position = 0;
    while (!file.atEnd()) {
        const QByteArray block = file.read(1 << 20);
        for (char c : block) {
            if (c != BenchServer::byteAt(position))
                return QStringLiteral("wrong byte at offset %1").arg(position);
            ++position;
        }
    }
    return {};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BenchServer server;
    if (!server.startServing()) {
        bench::note(QStringLiteral("the body server could not listen"));
        return 1;
    }
    QTemporaryDir dir;
    const auto service = bench::makeService(dir.path(), bench::sameHostEverywhere(server.hostPort()));
    const QString url = QStringLiteral("http://%1/%2").arg(server.hostPort()).arg(BodyBytes);
    const QString file = dir.filePath(QStringLiteral("big.bin"));

    // Round 1 also pays for what any first request builds (network thread, connection
    // cache); later rounds show what the body itself costs.
    QList<double> growthMiB;
    bool resetWorked = true;
    for (int round = 1; round <= Rounds; ++round) {
        QFile::remove(file);
        const qint64 rssBefore = bench::statusKiB("VmRSS");
        const qint64 peakBefore = bench::statusKiB("VmHWM");
        resetWorked = bench::resetPeakRss() && resetWorked;
        QElapsedTimer clock;
        clock.start();
        const FetchOutcome outcome = bench::fetchMap(*service, url, file, FetchTimeoutMs);
        const double seconds = clock.elapsed() / 1000.0;
        const qint64 peakAfter = bench::statusKiB("VmHWM");
        // Against the RSS before: an upper bound that is exact when the peak was reset.
        const double growth = (peakAfter - rssBefore) / 1024.0;
        bench::note(QStringLiteral("round %1%2: RSS before %3 KiB, peak before %4 KiB, peak after %5 KiB, "
                                   "growth %6 MiB, %7 s (%8 MiB/s)")
                        .arg(round)
                        .arg(round == 1 ? QStringLiteral(" (cold)") : QString())
                        .arg(rssBefore)
                        .arg(peakBefore)
                        .arg(peakAfter)
                        .arg(growth, 0, 'f', 2)
                        .arg(seconds, 0, 'f', 3)
                        .arg(BodyBytes / 1048576.0 / seconds, 0, 'f', 0));
        const QString problem = outcome.error ? QStringLiteral("%1 (%2)").arg(outcome.text).arg(outcome.error)
                                              : checkBody(file, BodyBytes);
        if (!problem.isEmpty()) {
            bench::note(QStringLiteral("round %1: the downloaded file is wrong: %2").arg(round).arg(problem));
            return 1;
        }
        if (round > 1)
            growthMiB.append(growth);
    }
    if (!resetWorked)
        bench::note(QStringLiteral("the peak RSS could not be reset: growth is measured from the RSS before"));
    const double worst = *std::max_element(growthMiB.begin(), growthMiB.end());
    bench::report(QStringLiteral("download_30MiB_peak_rss_growth"), worst, QStringLiteral("MiB"),
                  QStringLiteral("under %1 MiB").arg(TargetMiB), worst < TargetMiB, 2);
    return 0;
}
