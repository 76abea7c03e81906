// The meteogram over a cached run of 31 steps (186 maps): from opening the window to the
// whole graph drawn. First opening: a new window for a place never read, every map decoded
// once; opened again: the same run and place, nothing decoded.
// Usage: bench_meteogram [rounds] [--save FOLDER]   (FOLDER: pictures of the window to look at)
#include "bench/benchsupport.h"

#include "core/kinds.h"
#include "forecast/geometry.h"
#include "mapserver/demoserver.h"
#include "retrieval/retrievalservice.h"
#include "shell/messages.h"
#include "shell/offscreen.h"
#include "viewer/meteogramchart.h"
#include "viewer/meteogramwindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTemporaryDir>

namespace {

constexpr int LastStep = 30;

bool cacheRun(const QString &dir)
{
    DemoMapServer server;
    for (int step = 0; step <= LastStep; ++step) {
        for (const MapKind &kind : mapKinds()) {
            if (QLatin1String(kind.key) != QLatin1String("p500") && !bench::cacheForecastMap(server, dir, kind, step))
                return false;
        }
    }
    return true;
}

// From showPlace to the series read and the chart drawn; -1 when it never completed.
double openMs(MeteogramWindow &window, const PanelInputs &place)
{
    QElapsedTimer clock;
    clock.start();
    window.showPlace(place, LastStep);
    window.show();
    if (!bench::waitForSignal(&window.series(), &MeteogramSeries::completed, 30000))
        return -1;
    window.chart()->render();
    return double(clock.nsecsElapsed()) / 1e6;
}

void save(MeteogramWindow &window, const QString &folder)
{
    QDir().mkpath(folder);
    MeteogramChart *chart = window.chart();
    const QPointF at(chart->width() * 0.42, chart->height() * 0.5);
    QMouseEvent move(QEvent::MouseMove, at, chart->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(chart, &move);
    window.setSelectedStep(9);
    window.grab().save(QDir(folder).filePath(QStringLiteral("window.png")));
    window.saveTo(QDir(folder).filePath(QStringLiteral("chart.png")));
    for (const QSize size : {QSize(520, 400), QSize(1500, 850)}) {
        window.resize(size);
        window.grab().save(QDir(folder).filePath(QStringLiteral("window-%1.png").arg(size.width())));
    }
    bench::note(QStringLiteral("pictures in ") + folder);
}

} // namespace

int main(int argc, char **argv)
{
    runOffscreenUnlessPlatformSet();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int rounds = args.size() > 1 && args[1].toInt() > 0 ? args[1].toInt() : 5;
    const qsizetype saveAt = args.indexOf(QStringLiteral("--save"));
    LoadLanguage(QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/..")).absolutePath(), QStringLiteral("langage"));

    QTemporaryDir dir;
    if (!cacheRun(dir.path())) {
        bench::note(QStringLiteral("the demonstration server gave no map"));
        return 1;
    }
    auto service = bench::makeService(dir.path(), {});
    PanelInputs place;
    place.cacheDir = dir.path();
    place.PlaceX = 4000;  // the place a first start uses
    place.PlaceY = 4000;
    ConvertD1TOD2(place.PlaceX, place.PlaceY, place.PlaceX2, place.PlaceY2);

    QList<double> first, again;
    int decodes = 0;
    for (int round = 0; round < rounds; ++round) {
        MeteogramWindow window(*service, nullptr);
        first << openMs(window, place);
        window.close();
        again << openMs(window, place);
        decodes = window.series().memo().decodes();
        bench::note(QStringLiteral("round %1: first %2 ms, again %3 ms").arg(round + 1).arg(first.last(), 0, 'f', 1).arg(again.last(), 0, 'f', 1));
        if (round == rounds - 1 && saveAt > 0 && saveAt + 1 < args.size())
            save(window, args[saveAt + 1]);
    }
    bench::note(QStringLiteral("%1 maps decoded per window (31 steps x 6 kinds)").arg(decodes));
    const double firstMedian = bench::median(first);
    const double againMedian = bench::median(again);
    bench::report(QStringLiteral("meteogram first opening (median)"), firstMedian, QStringLiteral("ms"),
                  QStringLiteral("< 800 ms"), firstMedian >= 0 && firstMedian < 800, 1);
    bench::report(QStringLiteral("meteogram opened again (median)"), againMedian, QStringLiteral("ms"),
                  QStringLiteral("< 100 ms"), againMedian >= 0 && againMedian < 100, 1);
    return 0;
}
