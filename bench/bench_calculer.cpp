// One press of "Calculer" (both panels: 11 map loads, 539 colour reads) with every map
// already cached, timed as a whole and split into decoding and sampling.
// Usage: bench_calculer [presses] [step]
#include "bench/benchsupport.h"
#include "forecast/geometry.h"
#include "forecast/pointforecast.h"
#include "mapserver/demoserver.h"
#include "retrieval/catalogue.h"
#include "shell/paths.h"
#include "shell/imageloader.h"
#include "shell/messages.h"
#include "shell/offscreen.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

namespace {

struct MapFile {
    const MapKind *kind;
    int step;
};

double msPerPress(qint64 ns, int presses) { return double(ns) / 1e6 / presses; }

// The maps of one press: the current panel's six, then the series panel's five.
QVector<MapFile> mapsOfOnePress(int step)
{
    QVector<MapFile> files;
    for (const char *key : {"temp", "prec", "nebu", "p850", "orag", "vent"})
        files.append({kindByKey(QLatin1String(key)), 0});
    for (const char *key : {"temp", "prec", "nebu", "p850", "vent"})
        files.append({kindByKey(QLatin1String(key)), step});
    return files;
}

bool cacheMaps(const QString &dir, const QVector<MapFile> &files)
{
    DemoMapServer server;
    for (const MapFile &m : files) {
        if (!bench::cacheForecastMap(server, dir, *m.kind, m.step)) {
            std::fprintf(stderr, "the demonstration server gave no map for %s step %d\n", m.kind->key, m.step);
            return false;
        }
    }
    return true;
}

PanelInputs panelInputs(const QString &cacheDir, int step)
{
    PanelInputs in;
    in.cacheDir = cacheDir;
    // The data files sit in the build folder, one above bench/.
    in.programDir = QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/..")).absolutePath();
    LoadLanguage(in.programDir, QStringLiteral("langage"));
    in.step = step;
    in.PlaceX = 4000;  // the place a first start uses
    in.PlaceY = 4000;
    ConvertD1TOD2(in.PlaceX, in.PlaceY, in.PlaceX2, in.PlaceY2);
    return in;
}

struct Press {
    PanelResult series, current;
};

Press press(const PanelInputs &in, QImage &work)
{
    static const FetchMap noFetch = [](int heure, int what) {
        std::fprintf(stderr, "unexpected fetch: step %d kind %d\n", heure, what);
    };
    bool ok = false;
    Press p;
    p.series = computePanel(PanelTable::series(), in, ok, noFetch, work);
    p.current = computePanel(PanelTable::current(), in, ok, noFetch, work);
    return p;
}

const PanelQuantity &quantityOf(const PanelTable &t, const char *key)
{
    for (const PanelQuantity &q : t.quantities) {
        if (qstrcmp(q.key, key) == 0)
            return q;
    }
    return t.quantities.first();
}

// 11 grids of 49 colour reads on pictures already decoded.
void sampleAll(const QVector<QImage> &pictures, const QVector<MapFile> &files, const PanelInputs &in,
               double &checksum)
{
    for (int f = 0; f < files.size(); ++f) {
        const PanelTable &t = files[f].step == 0 && f < 6 ? PanelTable::current() : PanelTable::series();
        const PanelQuantity &q = quantityOf(t, files[f].kind->key);
        const float cx = (q.domain2 ? in.PlaceX2 : in.PlaceX) / 15.f;
        const float cy = (q.domain2 ? in.PlaceY2 : in.PlaceY) / 15.f;
        checksum += sampleGrid(pictures[f], q, cx, cy, t.singlePrecisionSum).mean.value_or(0);
    }
}

struct Timings {
    qint64 wholeNs = 0, loadNs = 0, sampleNs = 0;
    double checksum = 0;
};

Timings timePresses(const QString &dir, const QVector<MapFile> &files, const PanelInputs &in, int presses,
                    QVector<QImage> &pictures, Press &last)
{
    QImage work;
    Timings t;
    QElapsedTimer timer;
    // One press first, outside the timing: plugin loading and the legend tables.
    last = press(in, work);
    timer.start();
    for (int i = 0; i < presses; ++i)
        last = press(in, work);
    t.wholeNs = timer.nsecsElapsed();

    // The decoding alone: the same 11 loads.
    timer.restart();
    for (int i = 0; i < presses; ++i) {
        for (int f = 0; f < files.size(); ++f)
            pictures[f] = LoadPictureFile(joinPath(dir, forecastCacheName(*files[f].kind, files[f].step))).picture;
    }
    t.loadNs = timer.nsecsElapsed();

    timer.restart();
    for (int i = 0; i < presses; ++i)
        sampleAll(pictures, files, in, t.checksum);
    t.sampleNs = timer.nsecsElapsed();
    return t;
}

} // namespace

int main(int argc, char **argv)
{
    runOffscreenUnlessPlatformSet();
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int presses = args.size() > 1 ? qMax(1, args[1].toInt()) : 50;
    const int step = args.size() > 2 ? qMax(1, args[2].toInt()) : 5;

    QTemporaryDir dir;
    const QVector<MapFile> files = mapsOfOnePress(step);
    if (!cacheMaps(dir.path(), files))
        return 1;
    const PanelInputs in = panelInputs(dir.path(), step);
    QVector<QImage> pictures(files.size());
    Press last;
    const Timings t = timePresses(dir.path(), files, in, presses, pictures, last);

    QTextStream out(stdout);
    out << "maps: " << files.size() << " cached files, " << pictures.first().width() << "x"
        << pictures.first().height() << ", " << QFileInfo(joinPath(dir.path(), "temp0.png")).size()
        << " bytes (temp0)\n";
    out << "series (+" << 6 * step << "h): " << last.series.labelTexts().join(" | ") << " | picto "
        << last.series.pictogram << "\n";
    out << "current:     " << last.current.labelTexts().join(" | ") << " | picto " << last.current.pictogram << "\n";
    out << "presses: " << presses << "\n";
    out << QString::asprintf("Calculer press: %.2f ms (target < 40 ms)\n", msPerPress(t.wholeNs, presses));
    out << QString::asprintf("  decoding 11 maps: %.2f ms\n", msPerPress(t.loadNs, presses));
    out << QString::asprintf("  sampling 539 colours: %.3f ms (checksum %.1f)\n",
                             msPerPress(t.sampleNs, presses), t.checksum);
    return 0;
}
