// Time to render and encode one demonstration map.
// Usage: bench_mapserver [maps] [--run YYYY-MM-DDTHH] [--save DIR]
// (DIR receives a PNG of each kind at +6 h and +72 h of that run, and two archive maps)
#include "mapserver/gifencoder.h"
#include "mapserver/mappath.h"
#include "mapserver/maprender.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QTimeZone>
#include <cstdio>
#include <ctime>

namespace {

// CPU time of this thread: on a shared, busy machine it says more than the wall clock.
qint64 cpuNs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    int count = 35;
    QString saveDir;
    QDateTime runStart;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--save") && i + 1 < args.size())
            saveDir = args[++i];
        else if (args[i] == QLatin1String("--run") && i + 1 < args.size())
            runStart = QDateTime::fromString(args[++i], QStringLiteral("yyyy-MM-ddTHH"));
        else if (args[i].toInt() > 0)
            count = args[i].toInt();
    }
    runStart.setTimeZone(QTimeZone::utc());
    const int run = clockRunId(runStart.isValid() ? runStart.toSecsSinceEpoch() : QDateTime::currentSecsSinceEpoch());

    // The first map also builds the land and grid masks: timed apart.
    QElapsedTimer first;
    first.start();
    {
        MapRequest r;
        r.kind = demoKindByKey(QStringLiteral("orag"));
        encodeGif(renderMap(r, run));
        r.kind = demoKindByKey(QStringLiteral("temp"));
        encodeGif(renderMap(r, run));
    }
    std::printf("first maps (with the frame masks of both frames): %lld ms\n", qint64(first.elapsed()));

    qint64 renderNs = 0, encodeNs = 0, bytes = 0;
    const qint64 cpuStart = cpuNs();
    QElapsedTimer t;
    for (int i = 0; i < count; ++i) {
        MapRequest r;
        r.kind = &demoKinds()[i % DemoKindCount];
        r.step = (i / DemoKindCount) * 4;
        t.start();
        const QImage image = renderMap(r, run);
        renderNs += t.nsecsElapsed();
        t.start();
        bytes += encodeGif(image).size();
        encodeNs += t.nsecsElapsed();
    }
    const qint64 cpuTotal = cpuNs() - cpuStart;
    if (!saveDir.isEmpty()) {
        for (int step : {0, 11}) {
            for (int k = 0; k < DemoKindCount; ++k) {
                MapRequest r;
                r.kind = &demoKinds()[k];
                r.step = step;
                renderMap(r, run).save(QDir(saveDir).filePath(QStringLiteral("%1_%2h.png").arg(QLatin1String(r.kind->key)).arg(6 * (step + 1))));
            }
        }
        for (const char *path : {"/archive/ra/1990/Rrea00119900315.gif", "/archive/ra/1976/Rrea00219760704.gif"}) {
            const std::optional<MapRequest> r = parseMapPath(QString::fromLatin1(path));
            renderMap(*r, run).save(QDir(saveDir).filePath(QStringLiteral("archive_%1_%2.png")
                                                                .arg(QLatin1String(r->kind->key), r->day.toString(Qt::ISODate))));
        }
    }
    std::printf("%d maps: %.1f ms per map wall clock (render %.1f, encode %.1f), %.1f ms CPU; %lld bytes per GIF\n",
                count, double(renderNs + encodeNs) / 1e6 / count, double(renderNs) / 1e6 / count,
                double(encodeNs) / 1e6 / count, double(cpuTotal) / 1e6 / count, bytes / count);
    return 0;
}
