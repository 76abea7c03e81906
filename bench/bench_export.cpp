// Export of the map: the animated GIF of 31 cached steps (decoding each cached map, indexing
// its colours, LZW through giflib, written one frame per turn of the event loop into a file
// renamed at the end), and the PNG of the map area with its legend and caption band.
// Usage: bench_export [rounds] [--keep DIR]  (DIR receives the last GIF and PNG to look at)
#include "benchsupport.h"
#include "export/animationexport.h"
#include "export/exportimage.h"
#include "gif/gifencoder.h"
#include "mapserver/mapkinds.h"
#include "mapserver/maprender.h"

#include "core/kinds.h"
#include "shell/messages.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

namespace {

constexpr int Steps = 31;

// The cache as a download leaves it: the server's GIFs under their .png names.
bool fillCache(const QString &dir, int run)
{
    const MapKind &kind = *kindByKey(QStringLiteral("temp"));
    for (int step = 0; step < Steps; ++step) {
        MapRequest r;
        r.kind = demoKindByKey(QStringLiteral("temp"));
        r.step = step;
        QFile f(QDir(dir).filePath(forecastCacheName(kind, step)));
        const QByteArray gif = encodeGif(renderMap(r, run));
        if (gif.isEmpty() || !f.open(QIODevice::WriteOnly) || f.write(gif) != gif.size())
            return false;
    }
    return true;
}

// Milliseconds to write the animation, or -1 when it failed.
double timeAnimation(const QStringList &frames, const QString &target)
{
    QElapsedTimer t;
    t.start();
    AnimationExport job(frames, target);
    ExportResult result;
    QObject::connect(&job, &AnimationExport::finished, &job, [&result](const ExportResult &r) { result = r; });
    job.start();
    if (!job.isFinished() && !bench::waitForSignal(&job, &AnimationExport::finished, 60000))
        return -1;
    const double ms = double(t.nsecsElapsed()) / 1e6;
    return result.outcome == ExportOutcome::Written && result.frames == frames.size() ? ms : -1;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Messages::loadBuiltIn();
    const QStringList args = app.arguments();
    int rounds = 5;
    QString keep;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--keep") && i + 1 < args.size())
            keep = args[++i];
        else if (args[i].toInt() > 0)
            rounds = args[i].toInt();
    }
    QTemporaryDir cache, out;
    const QString outDir = keep.isEmpty() ? out.path() : keep;
    const int run = clockRunId(QDateTime::currentSecsSinceEpoch());
    if (!cache.isValid() || !fillCache(cache.path(), run)) {
        bench::note(QStringLiteral("could not fill the cache"));
        return 1;
    }
    const MapKind &kind = *kindByKey(QStringLiteral("temp"));
    QStringList frames;
    for (int step : cachedSteps(cache.path(), kind))
        frames << QDir(cache.path()).filePath(forecastCacheName(kind, step));

    QList<double> gifMs;
    for (int i = 0; i < rounds; ++i) {
        const double ms = timeAnimation(frames, QDir(outDir).filePath(QStringLiteral("temp-animation.gif")));
        if (ms < 0) {
            bench::note(QStringLiteral("the animation export failed"));
            return 1;
        }
        gifMs << ms;
        bench::note(QStringLiteral("round %1: %2 ms").arg(i + 1).arg(ms, 0, 'f', 1));
    }
    const qint64 gifBytes = QFileInfo(QDir(outDir).filePath(QStringLiteral("temp-animation.gif"))).size();
    bench::note(QStringLiteral("%1 frames, %2 KiB").arg(frames.size()).arg(gifBytes / 1024));
    const double gifMedian = bench::median(gifMs) / 1000.0;
    bench::report(QStringLiteral("animated GIF export, %1 steps (median)").arg(Steps), gifMedian, QStringLiteral("s"),
                  QStringLiteral("< 2 s"), gifMedian < 2.0, 3);

    // The map area at the default size (544 x 400 pixels) with its 49-pixel legend strip.
    MapRequest r;
    r.kind = demoKindByKey(QStringLiteral("temp"));
    const QImage map = renderMap(r, run);
    const QImage area = map.copy(193, 204, 544, 400), legend = map.copy(803, 137, 49, 398);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<double> pngMs;
    for (int i = 0; i < 4 * rounds; ++i) {
        QElapsedTimer t;
        t.start();
        const QImage picture = composeExportImage(area, legend, forecastCaption(QStringLiteral("Températures"), 3, now, QStringLiteral("Les cartes…")));
        const ExportResult saved = savePng(picture, QDir(outDir).filePath(QStringLiteral("temp-image.png")));
        if (saved.outcome != ExportOutcome::Written) {
            bench::note(QStringLiteral("the image export failed"));
            return 1;
        }
        pngMs << double(t.nsecsElapsed()) / 1e6;
    }
    const double pngMedian = bench::median(pngMs);
    bench::report(QStringLiteral("image export, map area, legend and caption to PNG (median)"), pngMedian,
                  QStringLiteral("ms"), QStringLiteral("< 100 ms"), pngMedian < 100.0, 1);
    return 0;
}
