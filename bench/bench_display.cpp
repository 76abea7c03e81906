// Showing a cached map: RefreshPicture on a new selection (alternating two cached steps,
// so every call decodes) up to the map area repainted, against decoding the same GIF with
// QImage and drawing it at the same place; a drag across a full-HD window at x4, each move
// up to the map area repainted, against one bare scaled drawImage of the same region; and
// start-up over a warm cache to the first map on screen, against the time the window takes
// to show without a map.
// Usage: bench_display [rounds]
#include "bench/benchsupport.h"

#include "mapserver/demoserver.h"
#include "retrieval/catalogue.h"
#include "shell/paths.h"
#include "tests/support/formharness.h"
#include "viewer/form1.h"
#include "viewer/mapdisplay.h"
#include "viewer/picturebox.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSettings>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr int Steps[2] = {0, 1};

// The first paint of Picture1 once a map is held.
class FirstMapPaint : public QObject {
public:
    FirstMapPaint(Form1 &form, QElapsedTimer &clock) : m_form(form), m_clock(clock) {}
    qint64 ns = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (ns < 0 && event->type() == QEvent::Paint && !FormHarness::ctl<PictureBox>(m_form, "Picture3")->picture().isNull())
            ns = m_clock.nsecsElapsed();
        return QObject::eventFilter(watched, event);
    }

private:
    Form1 &m_form;
    QElapsedTimer &m_clock;
};

// Counts the paints a widget receives.
class PaintCount : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

void sendMouse(QWidget *widget, QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

constexpr int DragMoves = 100;

// Start-up to its end: a window destroyed while its newest-run probe is out does not survive
// the probe's answer.
bool loadForm(Form1 &form)
{
    form.Form_Load();
    const QDeadlineTimer deadline(20000);
    while (!form.startupDone() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return form.startupDone();
}

// A full-HD window with a cached map at x4, dragged by real mouse events. Each move is
// timed from the event sent to the end of the synchronous repaint of the map area
// (QWidget::repaint: the canvas drawn, painted into the window and flushed), and checked to
// have painted once. The bare figure draws the map scaled into the same region of an image
// the size of the map area. False when the map was never shown.
bool dragFigures(const Form1Config &config, QList<double> &repaintMs, QList<double> &bareMs)
{
    Form1 form(config);
    loadForm(form);
    form.resize(1920, 1080);  // after the start-up, which puts the window at its saved size
    QCoreApplication::processEvents();  // the layout gives the map area its new size
    auto *map = FormHarness::ctl<PictureBox>(form, "Picture1");
    const QImage picture = FormHarness::ctl<PictureBox>(form, "Picture3")->picture();
    if (picture.isNull())
        return false;
    form.model().fitView();  // centred: the whole drag stays over the map
    while (form.model().zoom() < 4)
        form.model().zoomIn();
    QCoreApplication::processEvents();
    bench::note(QStringLiteral("drag: window %1 x %2, map area %3 x %4, zoom %5")
                    .arg(form.width()).arg(form.height()).arg(map->width()).arg(map->height())
                    .arg(form.model().zoomText()));

    const auto shownRegion = [&] {
        return mapRectPixels(form.model().offsetX(), form.model().offsetY(), form.model().zoom(), picture.size());
    };
    const QRect first = shownRegion();
    PaintCount count;
    map->installEventFilter(&count);
    QElapsedTimer timer;
    const QPointF start(map->width() * 0.75, map->height() * 0.75);
    sendMouse(map, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    for (int i = 1; i <= DragMoves; ++i) {
        const int before = count.paints;
        timer.start();
        sendMouse(map, QEvent::MouseMove, start - QPointF(8, 4) * i, Qt::NoButton, Qt::LeftButton);
        map->repaint();
        const double ms = timer.nsecsElapsed() / 1e6;
        if (count.paints == before + 1)
            repaintMs << ms;
    }
    sendMouse(map, QEvent::MouseButtonRelease, start - QPointF(8, 4) * DragMoves, Qt::LeftButton, Qt::NoButton);

    QImage target(map->size(), QImage::Format_RGB32);
    const QRect region = shownRegion();
    bench::note(QStringLiteral("drag: the map from (%1, %2) to (%3, %4), %5 x %6 pixels")
                    .arg(first.x()).arg(first.y()).arg(region.x()).arg(region.y()).arg(region.width()).arg(region.height()));
    for (int i = 0; i < DragMoves; ++i) {
        timer.start();
        QPainter(&target).drawImage(region, picture);
        bareMs << timer.nsecsElapsed() / 1e6;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = app.arguments().size() > 1 ? qMax(3, app.arguments()[1].toInt()) : 200;

    // Settings of its own: a first start that shows no help window.
    QTemporaryDir settingsDir, cacheDir;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings(QStringLiteral("Cartavent"), QStringLiteral("Cartavent")).setValue(QStringLiteral("Cartavent/help"), QStringLiteral("1"));

    DemoMapServer server;
    if (!server.start()) {
        std::fprintf(stderr, "the demonstration server did not start\n");
        return 1;
    }
    for (const MapKind &kind : mapKinds()) {
        for (int step : Steps) {
            if (!bench::cacheForecastMap(server, cacheDir.path(), kind, step)) {
                std::fprintf(stderr, "no map for %s step %d\n", kind.key, step);
                return 1;
            }
        }
    }
    Form1Config config;
    config.cacheDir = cacheDir.path();
    config.programDir = QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/..")).absolutePath();
    config.hosts = bench::sameHostEverywhere(server.hostPort());
    config.unattended = true;

    // --- a cached map shown on a new selection ---
    QList<double> refreshMs, bareMs;
    {
        Form1 form(config);
        if (!loadForm(form)) {
            std::fprintf(stderr, "the start-up did not end\n");
            return 1;
        }
        auto *mapArea = FormHarness::ctl<PictureBox>(form, "Picture1");
        QElapsedTimer timer;
        const QString files[2] = {joinPath(config.cacheDir, QStringLiteral("temp0.png")),
                                  joinPath(config.cacheDir, QStringLiteral("temp1.png"))};
        QImage canvas(FormHarness::ctl<PictureBox>(form, "Picture1")->size(), QImage::Format_RGB32);
        const QRect dest(-194, -204, 0, 0);
        for (int i = 0; i < rounds; ++i) {
            {
                const QSignalBlocker quiet(&form.model());  // the selection alone, no captions
                form.model().setStep(Steps[(i + 1) % 2]);
            }
            timer.start();
            form.RefreshPicture();
            mapArea->repaint();
            refreshMs << timer.nsecsElapsed() / 1e6;

            timer.start();
            const QImage map(files[(i + 1) % 2]);
            QPainter(&canvas).drawImage(QRect(dest.topLeft(), map.size()), map);
            bareMs << timer.nsecsElapsed() / 1e6;
        }
    }
    const double refresh = bench::median(refreshMs), bare = bench::median(bareMs);
    bench::note(QStringLiteral("%1 rounds; median RefreshPicture + repaint %2 ms, bare decode + draw %3 ms")
                    .arg(rounds).arg(refresh, 0, 'f', 3).arg(bare, 0, 'f', 3));
    bench::report(QStringLiteral("display_cached_map_ratio"), refresh / bare, QStringLiteral("x"),
                  QStringLiteral("<= 1.3"), refresh / bare <= 1.3, 2);

    // --- a drag at x4 in a full-HD window ---
    QList<double> dragMs, drawMs;
    if (!dragFigures(config, dragMs, drawMs) || dragMs.isEmpty()) {
        bench::note(QStringLiteral("the drag painted nothing"));
        return 1;
    }
    const double drag = bench::median(dragMs), draw = bench::median(drawMs);
    bench::note(QStringLiteral("%1 of %2 moves painted once; repaint min %3 ms, max %4 ms; bare scaled drawImage %5 ms")
                    .arg(dragMs.size()).arg(DragMoves).arg(bench::best(dragMs), 0, 'f', 3)
                    .arg(*std::max_element(dragMs.begin(), dragMs.end()), 0, 'f', 3).arg(draw, 0, 'f', 3));
    bench::report(QStringLiteral("drag_repaint_ms"), drag, QStringLiteral("ms"), QStringLiteral("<= 8"), drag <= 8, 3);
    bench::report(QStringLiteral("drag_repaint_ratio"), drag / draw, QStringLiteral("x"),
                  QStringLiteral("reported beside the bare drawImage"), true, 2);

    // --- start-up over a warm cache ---
    const int starts = qMax(3, rounds / 20);
    QList<double> firstMapMs, windowMs;
    for (int i = 0; i < starts; ++i) {
        QElapsedTimer clock;
        clock.start();
        {
            Form1 form(config);
            form.show();
            QCoreApplication::processEvents();
            windowMs << clock.nsecsElapsed() / 1e6;
        }
        clock.start();
        Form1 form(config);
        FirstMapPaint watch(form, clock);
        FormHarness::ctl<PictureBox>(form, "Picture1")->installEventFilter(&watch);
        loadForm(form);
        if (watch.ns >= 0)
            firstMapMs << watch.ns / 1e6;
    }
    const double shown = bench::median(windowMs);
    bench::note(QStringLiteral("%1 starts; window without a map %2 ms").arg(starts).arg(shown, 0, 'f', 1));
    if (firstMapMs.isEmpty()) {
        bench::note(QStringLiteral("the map was never painted during start-up"));
        return 1;
    }
    const double firstMap = bench::median(firstMapMs);
    bench::report(QStringLiteral("startup_warm_first_map"), firstMap, QStringLiteral("ms"),
                  QStringLiteral("reported beside the bare window, %1 ms").arg(shown, 0, 'f', 1), true, 1);
    return 0;
}
