// One press of "Calculer" (both panels: 11 map loads, 539 colour reads) with every map
// already cached, timed as a whole and split into decoding and sampling.
// Usage: bench_calculer [presses] [step]
#include "forecast/geometry.h"
#include "forecast/pointforecast.h"
#include "mapserver/demoserver.h"
#include "retrieval/catalogue.h"
#include "shell/paths.h"
#include "shell/imageloader.h"
#include "shell/messages.h"

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

bool cacheMap(DemoMapServer &server, const QString &dir, const MapFile &m)
{
    const QByteArray bytes = server.mapBytes(QStringLiteral("/wz/pics/") + forecastMapFile(*m.kind, m.step));
    if (bytes.isEmpty())
        return false;
    QFile f(joinPath(dir, forecastCacheName(*m.kind, m.step)));
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

double msPerPress(qint64 ns, int presses) { return double(ns) / 1e6 / presses; }

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int presses = args.size() > 1 ? qMax(1, args[1].toInt()) : 50;
    const int step = args.size() > 2 ? qMax(1, args[2].toInt()) : 5;

    QTemporaryDir dir;
    DemoMapServer server;
    QVector<MapFile> files;
    for (const char *key : {"temp", "prec", "nebu", "p850", "orag", "vent"})
        files.append({kindByKey(QLatin1String(key)), 0});
    for (const char *key : {"temp", "prec", "nebu", "p850", "vent"})
        files.append({kindByKey(QLatin1String(key)), step});
    for (const MapFile &m : files) {
        if (!cacheMap(server, dir.path(), m)) {
            std::fprintf(stderr, "the demonstration server gave no map for %s step %d\n", m.kind->key, m.step);
            return 1;
        }
    }

    PanelInputs in;
    in.cacheDir = dir.path();
    // The data files sit in the build folder, one above bench/.
    in.programDir = QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/..")).absolutePath();
    LoadLanguage(in.programDir, QStringLiteral("langage"));
    in.step = step;
    in.PlaceX = 4000;  // the place a first start uses
    in.PlaceY = 4000;
    ConvertD1TOD2(in.PlaceX, in.PlaceY, in.PlaceX2, in.PlaceY2);
    const FetchMap noFetch = [](int heure, int what) {
        std::fprintf(stderr, "unexpected fetch: step %d kind %d\n", heure, what);
    };

    QImage work;
    bool ok = false;
    QElapsedTimer timer;
    // One press first, outside the timing: plugin loading and the legend tables.
    PanelResult series = computePanel(PanelTable::series(), in, ok, noFetch, work);
    PanelResult current = computePanel(PanelTable::current(), in, ok, noFetch, work);

    timer.start();
    for (int i = 0; i < presses; ++i) {
        series = computePanel(PanelTable::series(), in, ok, noFetch, work);
        current = computePanel(PanelTable::current(), in, ok, noFetch, work);
    }
    const qint64 wholeNs = timer.nsecsElapsed();

    // The decoding alone: the same 11 loads.
    QVector<QImage> pictures(files.size());
    timer.restart();
    for (int i = 0; i < presses; ++i) {
        for (int f = 0; f < files.size(); ++f)
            pictures[f] = LoadPictureFile(joinPath(dir.path(), forecastCacheName(*files[f].kind, files[f].step))).picture;
    }
    const qint64 loadNs = timer.nsecsElapsed();

    // The sampling alone: 11 grids of 49 colour reads on pictures already decoded.
    auto quantityOf = [](const PanelTable &t, const char *key) -> const PanelQuantity & {
        for (const PanelQuantity &q : t.quantities) {
            if (qstrcmp(q.key, key) == 0)
                return q;
        }
        return t.quantities.first();
    };
    double checksum = 0;
    timer.restart();
    for (int i = 0; i < presses; ++i) {
        for (int f = 0; f < files.size(); ++f) {
            const PanelTable &t = files[f].step == 0 && f < 6 ? PanelTable::current() : PanelTable::series();
            const PanelQuantity &q = quantityOf(t, files[f].kind->key);
            const float cx = (q.domain2 ? in.PlaceX2 : in.PlaceX) / 15.f;
            const float cy = (q.domain2 ? in.PlaceY2 : in.PlaceY) / 15.f;
            checksum += sampleGrid(pictures[f], q, cx, cy, t.singlePrecisionSum).mean.value_or(0);
        }
    }
    const qint64 sampleNs = timer.nsecsElapsed();

    QTextStream out(stdout);
    out << "maps: " << files.size() << " cached files, " << pictures.first().width() << "x"
        << pictures.first().height() << ", " << QFileInfo(joinPath(dir.path(), "temp0.png")).size()
        << " bytes (temp0)\n";
    out << "series (+" << 6 * step << "h): " << series.labelTexts().join(" | ") << " | picto "
        << series.pictogram << "\n";
    out << "current:     " << current.labelTexts().join(" | ") << " | picto " << current.pictogram << "\n";
    out << "presses: " << presses << "\n";
    out << QString::asprintf("Calculer press: %.2f ms (target < 40 ms)\n", msPerPress(wholeNs, presses));
    out << QString::asprintf("  decoding 11 maps: %.2f ms\n", msPerPress(loadNs, presses));
    out << QString::asprintf("  sampling 539 colours: %.3f ms (checksum %.1f)\n",
                             msPerPress(sampleNs, presses), checksum);
    return 0;
}
