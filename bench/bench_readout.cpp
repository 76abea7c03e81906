// One pointer move over the map (the value box: 25 colour reads, decoding, the box
// update) against 25 bare QImage::pixel reads of the same picture, in the same run.
// Usage: bench_readout [moves]
#include "benchsupport.h"

#include "mapserver/demoserver.h"
#include "retrieval/catalogue.h"
#include "shell/messages.h"
#include "tests/support/formharness.h"
#include "viewer/form1.h"
#include "viewer/picturebox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

constexpr double TargetUs = 50;

// Pointer positions in twips sweeping the box, so no two moves read the same square.
QPointF sweep(int i, QSize box)
{
    const int x = 3 + (i * 7) % (box.width() - 6);
    const int y = 3 + (i * 13) % (box.height() - 6);
    return QPointF(x * 15.0, y * 15.0);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const QStringList args = app.arguments();
    const int moves = args.size() > 1 ? qMax(1, args[1].toInt()) : 20000;

    DemoMapServer server;
    const QByteArray bytes = server.mapBytes(QStringLiteral("/wz/pics/") + forecastMapFile(*kindByKey(QStringLiteral("prec")), 0));
    const QImage map = QImage::fromData(bytes);
    if (map.isNull()) {
        std::fprintf(stderr, "the demonstration server gave no precipitation map\n");
        return 1;
    }

    // The units come from the language file in the build folder, one above bench/.
    LoadLanguage(QCoreApplication::applicationDirPath() + QStringLiteral("/.."), QStringLiteral("langage"));
    QTemporaryDir cache;
    Form1Config config;
    config.cacheDir = cache.path();
    config.hosts = QStringList{QStringLiteral("127.0.0.1:9"), QStringLiteral("127.0.0.1:9"), QStringLiteral("127.0.0.1:9")};
    config.unattended = true;
    Form1 form(config);
    FormHarness::ctl<QRadioButton>(form, "Option3")->setChecked(true);  // rain: its decoder scans the whole legend for off-legend colours
    form.show();
    QCoreApplication::processEvents();  // the first redraw (no map in this cache) comes first
    // The map as the display paints it at zoom 1 with the start-up offsets.
    FormHarness::ctl<PictureBox>(form, "Picture1")->clearCanvas();
    FormHarness::ctl<PictureBox>(form, "Picture1")->paintPicture(map, QRect(QPoint(-193, -204), map.size()));
    const QSize box = FormHarness::ctl<PictureBox>(form, "Picture1")->size();
    const QImage canvas = FormHarness::ctl<PictureBox>(form, "Picture1")->canvas();

    auto movesOnce = [&](int n) {
        for (int i = 0; i < n; ++i) {
            const QPointF p = sweep(i, box);
            FormHarness::hover(form, float(p.x()), float(p.y()));
        }
    };
    movesOnce(100);  // warm-up: fonts, the legend tables

    QElapsedTimer timer;
    timer.start();
    movesOnce(moves);
    const double moveUs = double(timer.nsecsElapsed()) / 1e3 / moves;

    quint64 checksum = 0;
    timer.restart();
    for (int i = 0; i < moves; ++i) {
        const QPointF p = sweep(i, box);
        const int cx = int(p.x() / 15), cy = int(p.y() / 15);
        for (int dx = -2; dx <= 2; ++dx)
            for (int dy = -2; dy <= 2; ++dy)
                checksum += canvas.pixel(cx + dx, cy + dy);
    }
    const double pixelUs = double(timer.nsecsElapsed()) / 1e3 / moves;

    bench::note(QStringLiteral("%1 moves over a %2x%3 precipitation map; last text \"%4\"; checksum %5")
                    .arg(moves).arg(map.width()).arg(map.height()).arg(FormHarness::ctl<QLabel>(form, "Label34")->text()).arg(checksum));
    bench::report(QStringLiteral("pointer move"), moveUs, QStringLiteral("us"),
                  QStringLiteral("< %1 us").arg(TargetUs), moveUs < TargetUs, 2);
    bench::note(QStringLiteral("25 bare QImage::pixel reads: %1 us").arg(pixelUs, 0, 'f', 3));
    return 0;
}
