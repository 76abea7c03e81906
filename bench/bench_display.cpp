// Showing a cached map: RefreshPicture on a new selection (alternating two cached steps,
// so every call decodes) against decoding the same GIF with QImage and drawing it at the
// same size; and start-up over a warm cache to the first map on screen, against the time
// the window takes to show without a map.
// Usage: bench_display [rounds]
#include "bench/benchsupport.h"

#include "mapserver/demoserver.h"
#include "retrieval/catalogue.h"
#include "shell/paths.h"
#include "tests/support/formharness.h"
#include "viewer/form1.h"
#include "viewer/picturebox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QScrollBar>
#include <QSettings>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

namespace {

constexpr int Steps[2] = {0, 1};

bool cacheMap(DemoMapServer &server, const QString &dir, const MapKind &kind, int step)
{
    const QByteArray bytes = server.mapBytes(QStringLiteral("/wz/pics/") + forecastMapFile(kind, step));
    QFile f(joinPath(dir, forecastCacheName(kind, step)));
    return !bytes.isEmpty() && f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

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
            if (!cacheMap(server, cacheDir.path(), kind, step)) {
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
        form.Form_Load();
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
            refreshMs << timer.nsecsElapsed() / 1e6;

            timer.start();
            const QImage map(files[(i + 1) % 2]);
            canvas.fill(Qt::black);
            QPainter(&canvas).drawImage(QRect(dest.topLeft(), map.size()), map);
            bareMs << timer.nsecsElapsed() / 1e6;
        }
    }
    const double refresh = bench::median(refreshMs), bare = bench::median(bareMs);
    bench::note(QStringLiteral("%1 rounds; median RefreshPicture %2 ms, bare decode + draw %3 ms")
                    .arg(rounds).arg(refresh, 0, 'f', 3).arg(bare, 0, 'f', 3));
    bench::report(QStringLiteral("display_cached_map_ratio"), refresh / bare, QStringLiteral("x"),
                  QStringLiteral("<= 1.3"), refresh / bare <= 1.3, 2);

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
        form.Form_Load();
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
