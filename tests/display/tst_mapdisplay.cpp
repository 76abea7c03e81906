// The map display, the step bar and the address copy of a real window against the
// demonstration server, and the captions and picture guard behind them.
#include "tests/support/fixtureserver.h"
#include "tests/support/formharness.h"
#include "tests/support/logreader.h"
#include "viewer/picturebox.h"

#include "forecast/geometry.h"
#include "shell/commandline.h"
#include "shell/imageloader.h"
#include "core/displaytext.h"
#include "viewer/mapdisplay.h"

#include "core/mapselection.h"

#include <QtWidgets>
#include <cmath>

namespace {

constexpr QRgb Red = 0xFF0000;

QRgb rgb(QRgb c) { return c & 0xFFFFFF; }

// Where the map's top-left corner lands in Picture1: rounded up, so that the pixel under
// the pointer is the map pixel a click there chooses (floor of the unzoomed twips / 15).
QPoint mapOrigin(const Form1 &form)
{
    const ViewerModel &m = form.model();
    return QPoint(int(std::ceil(m.offsetX() * m.zoom() / 15.0)), int(std::ceil(m.offsetY() * m.zoom() / 15.0)));
}

// Pixels of Picture1 that differ from the map stretched by the window's integer zoom at
// its offsets, black around it.
QList<QPoint> differences(const Form1 &form, const QImage &map)
{
    const QImage canvas = FormHarness::ctl<PictureBox>(form, "Picture1")->canvas();
    const QPoint origin = mapOrigin(form);
    const int zoom = int(form.model().zoom());
    QList<QPoint> found;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const int mx = int(std::floor(double(x - origin.x()) / zoom));
            const int my = int(std::floor(double(y - origin.y()) / zoom));
            const QRgb want = map.rect().contains(mx, my) ? rgb(map.pixel(mx, my)) : 0;
            if (rgb(canvas.pixel(x, y)) != want)
                found << QPoint(x, y);
        }
    }
    return found;
}

} // namespace

class TstMapDisplay : public QObject {
    Q_OBJECT
    FormHarness h;

    QStringList log() const { return readLogMessages(h.cachePath(QStringLiteral("log.txt"))); }
    QImage cached(const QString &name) const { return LoadPictureFile(h.cachePath(name)).picture; }

    // A window after start-up over a cache that already holds the run's first step.
    std::unique_ptr<Form1> startedForm(const Form1Config &config)
    {
        for (const MapKind &kind : mapKinds())
            h.cacheMap(kind, 0);
        return h.makeForm(config);
    }

    // Picture1 holds the cached map at the window's zoom and pan, black around it, and at
    // most the marker on top; the legend strip holds the map's own pixels.
    void verifyShows(const Form1 &form, const QString &name, int maxMarkerPixels)
    {
        const QImage map = cached(name);
        QVERIFY(!map.isNull());
        const qsizetype diffs = differences(form, map).size();
        QVERIFY2(diffs <= maxMarkerPixels, qPrintable(QString::number(diffs)));
        QVERIFY(FormHarness::ctl<QLabel>(form, "Label36")->isHidden());

        const QPoint legend = FormHarness::ctl<QRadioButton>(form, "Option9")->isChecked() ? QPoint(833, 137) : QPoint(803, 137);
        for (QPoint p : {QPoint(0, 0), QPoint(10, 200)})
            QCOMPARE(rgb(FormHarness::ctl<PictureBox>(form, "Picture5")->canvas().pixel(p)), rgb(map.pixel(legend + p)));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(h.start()); }
    void init()
    {
        h.resetSettings();
        h.server.clearFaults();
    }

    // First start with an empty cache and no settings, then a second start on the same cache.
    void startUps()
    {
        h.resetSettings(nullptr);
        const Form1Config config = h.config();
        auto form = h.makeForm(config);
        const QStringList inOrder = {
            "Démarrage", "Refresh 1 ", "Refresh Picture", "Fichier à afficher temp0.png",
            "Image temp0.png manquant. Cherche à la télécharger", "Essaye d'afficher : temp0.png",
            "erreur 22", "Téléchargement de l'image temp0.png", " Pas d'image !", "Fin Oldloaded",
            "Cherche nouveau modèle...", "Fin Cherche nouveau modèle", "Debut refresh picture",
            "Fin refresh picture", "Essaye d'afficher : temp0.png", "Fin d'essai", "Fin Oldloaded",
        };
        qsizetype at = 0;
        for (const QString &line : inOrder) {
            at = log().indexOf(line, at);
            QVERIFY2(at++ >= 0, qPrintable(line));
        }
        for (const MapKind &kind : mapKinds())
            QVERIFY2(QFile::exists(h.cachePath(forecastCacheName(kind, 0))), kind.key);
        verifyShows(*form, QStringLiteral("temp0.png"), 24);

        form = h.makeForm(config, false);
        FormHarness::startUp(*form);
        QCOMPARE(h.server.requests(), QStringList{QStringLiteral("/wz/pics/Rtavn065.gif")});  // the probe only
        verifyShows(*form, QStringLiteral("temp0.png"), 24);
    }

    // Zoom, pan and repaint load nothing.
    void redraws()
    {
        auto form = startedForm(h.config());
        const qsizetype before = log().size();
        form->model().zoomIn();
        verifyShows(*form, QStringLiteral("temp0.png"), 96);
        // Far enough right that the left of Picture1 is no longer covered: it must turn
        // black, not keep what the previous paint left there.
        form->model().zoomOut();
        form->model().pan(5900, 0);
        verifyShows(*form, QStringLiteral("temp0.png"), 24);
        form->hide();
        form->show();  // a repaint after the window shows again
        QTRY_COMPARE(log().mid(before).count(QStringLiteral("Refresh Picture")), 4);
        // The value box read the picture before the redraw: it goes with it.
        FormHarness::hover(*form, 3000, 3000);
        QVERIFY(FormHarness::ctl<QLabel>(*form, "Label34")->isVisible());
        form->RefreshPicture();
        QVERIFY(FormHarness::ctl<QLabel>(*form, "Label34")->isHidden());
        const QStringList added = log().mid(before);
        QCOMPARE(added.count(QStringLiteral("Refresh Picture")), 5);
        for (const QString &line : added)
            QVERIFY2(!line.startsWith(QStringLiteral("Essaye d'afficher")), qPrintable(line));
        QVERIFY(h.server.requests().isEmpty());
    }

    // The step bar. A missing step is fetched and shown in the same call; a map absent from
    // the server is asked for three times, then a notice, and choosing it again fetches nothing.
    void steps()
    {
        auto form = startedForm(h.config());
        FormHarness::ctl<QScrollBar>(*form, "HScroll1")->setValue(2);
        QVERIFY(h.settle(*form));
        QCOMPARE(h.server.requests(), QStringList{QStringLiteral("/wz/pics/Rtavn185.gif")});
        verifyShows(*form, QStringLiteral("temp2.png"), 24);

        h.server.setFault(QStringLiteral("*Rtavn245.gif"), Fault{.status = 404});
        h.server.clearRequests();
        // The clock may pass a slot boundary meanwhile.
        const QString dateBefore = stepDateText(QDateTime::currentDateTime(), 3);
        FormHarness::ctl<QScrollBar>(*form, "HScroll1")->setValue(3);
        QVERIFY(h.settle(*form));
        QCOMPARE(h.server.requests(), QStringList(3, QStringLiteral("/wz/pics/Rtavn245.gif")));
        QVERIFY(log().contains(QStringLiteral(" Pas d'image !")));
        QVERIFY(FormHarness::ctl<QLabel>(*form, "Label36")->isVisible());
        QVERIFY(differences(*form, QImage()).size() <= 24);  // the marker alone
        QCOMPARE(FormHarness::ctl<QLabel>(*form, "Label2")->text(), QStringLiteral("18h"));
        QCOMPARE(FormHarness::ctl<QGroupBox>(*form, "Frame4")->title(), QStringLiteral("Situation à +18h"));
        const QString date = FormHarness::ctl<QLabel>(*form, "Label14")->text();
        QVERIFY(date == dateBefore || date == stepDateText(QDateTime::currentDateTime(), 3));

        h.server.clearRequests();
        form->RefreshPicture();
        QVERIFY(h.server.requests().isEmpty());
        FormHarness::ctl<QScrollBar>(*form, "HScroll1")->setValue(0);
        verifyShows(*form, QStringLiteral("temp0.png"), 24);
        QCOMPARE(FormHarness::ctl<QLabel>(*form, "Label2")->text(), QStringLiteral("0h"));

        // A tick whose map is being fetched holds the next ticks back until it arrives.
        QFile::remove(h.cachePath(QStringLiteral("temp1.png")));
        h.server.setFault(QStringLiteral("*Rtavn125.gif"), Fault{.delayMs = 300});
        FormHarness::tick(*form);
        QVERIFY(form->isLoading());
        QCOMPARE(FormHarness::ctl<QLabel>(*form, "Label36")->text(), msg(Msg::Loading));
        FormHarness::tick(*form);
        QCOMPARE(FormHarness::ctl<QScrollBar>(*form, "HScroll1")->value(), 1);
        QVERIFY(h.settle(*form));
        verifyShows(*form, QStringLiteral("temp1.png"), 24);
    }

    // The newest request wins: a map chosen while another is fetched is the one shown, as
    // soon as it arrives; the earlier one still goes into the cache.
    void newestSelectionWins()
    {
        auto form = startedForm(h.config());
        h.server.setFault(QStringLiteral("*.gif"), Fault{.delayMs = 300});
        QStringList notes;
        QTimer watch;
        connect(&watch, &QTimer::timeout, form.get(), [&] {
            if (FormHarness::ctl<QLabel>(*form, "Label36")->isVisible() && !notes.contains(FormHarness::ctl<QLabel>(*form, "Label36")->text()))
                notes << FormHarness::ctl<QLabel>(*form, "Label36")->text();
        });
        watch.start(5);
        FormHarness::ctl<QScrollBar>(*form, "HScroll1")->setValue(1);     // the step arrow ...
        FormHarness::ctl<QRadioButton>(*form, "Option3")->setChecked(true); // ... and at once "Précipitation"
        QVERIFY(form->isLoading());
        QVERIFY(h.settle(*form));
        watch.stop();
        QCOMPARE(form->shownMapName(), QStringLiteral("prec1.png"));
        verifyShows(*form, QStringLiteral("prec1.png"), 24);
        QVERIFY(QFile::exists(h.cachePath(QStringLiteral("temp1.png"))));
        QCOMPARE(notes, QStringList{msg(Msg::Loading)});  // never "Pas d'image!"
    }

    // Closing the window during a transfer saves the settings and leaves no partial file.
    void closeDuringTransfer()
    {
        FixtureServer slow;
        const QByteArray map = h.server.mapBytes(FormHarness::mapPath("temp", 0));
        slow.responses[FormHarness::mapPath("temp", 0)] = FixtureResponse{.body = map, .keepAlive = true};
        slow.responses[FormHarness::mapPath("temp", 1)] = FixtureResponse{.body = map, .pieceSize = 500, .pieceDelayMs = 200, .keepAlive = true};
        Form1Config config = h.config();
        config.hosts = QStringList(3, slow.url(QString()).mid(7));
        for (const MapKind &kind : mapKinds())
            h.cacheMap(kind, 0);
        auto form = h.makeForm(config);
        FormHarness::setPlace(*form, 1234, form->model().placeY());
        FormHarness::typeMaxStep(*form, QStringLiteral("12"));
        FormHarness::ctl<QScrollBar>(*form, "HScroll1")->setValue(1);
        // Part of the map has arrived (its unfinished copy may have no name yet).
        const auto arriving = [&] {
            const QList<MapFetch *> &running = form->service().queue().runningFetches();
            return !running.isEmpty() && running.first()->received() > 0;
        };
        QTRY_VERIFY(arriving());

        form->close();
        QCOMPARE(SavedSettings::readNumber(QStringLiteral("dx"), 0), 1234.0);
        QCOMPARE(SavedSettings::readNumber(QStringLiteral("num"), 0), 12.0);
        form.reset();
        QCOMPARE(QDir(h.cache->path()).entryList({QStringLiteral("temp1*")}, QDir::Files | QDir::Hidden), QStringList());
    }

    void markerFrame_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<float>("zoom");
        QTest::addColumn<bool>("domain2");
        QTest::newRow("temperature, zoom 2") << "Option1" << 2.0f << false;
        QTest::newRow("storm") << "Option5" << 1.0f << true;
        QTest::newRow("wind, zoom 2") << "Option7" << 2.0f << true;
    }

    // The red square's centre sits on the place's map point, in the frame of the map shown.
    void markerFrame()
    {
        QFETCH(QString, option);
        QFETCH(float, zoom);
        QFETCH(bool, domain2);
        auto form = startedForm(h.config());
        FormHarness::setPlace(*form, 6000, 5000);
        const ViewerModel &m = form->model();
        const QPointF d1(m.placeX() / 15, m.placeY() / 15), d2(m.placeX2() / 15, m.placeY2() / 15);
        QVERIFY2((d1 - d2).manhattanLength() > 6, "the two frames must tell the place apart");

        form->findChild<QRadioButton *>(option)->setChecked(true);
        // Zoomed about the place itself, so that it stays in view.
        if (zoom > 1)
            FormHarness::wheel(*form, (domain2 ? d2 : d1) + QPointF(mapOrigin(*form)));
        QRect red;
        for (const QPoint &p : differences(*form, cached(form->shownMapName())))
            if (rgb(FormHarness::ctl<PictureBox>(*form, "Picture1")->canvas().pixel(p)) == Red)
                red |= QRect(p, QSize(1, 1));
        const QPointF marker = (QRectF(red).center() - QPointF(0.5, 0.5) - QPointF(mapOrigin(*form))) / zoom;
        QVERIFY2((marker - (domain2 ? d2 : d1)).manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(marker.x()).arg(marker.y())));
    }

    void impossibleArchiveDate_data()
    {
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("named");
        QTest::newRow("31 February") << "2" << "31" << "31/02/2004";
        QTest::newRow("month 13") << "13" << "1" << "01/13/2004";  // refused as the month is typed
    }

    // Typed into the lists and ended with Enter: a day that does not exist is refused by
    // name, nothing is fetched, and the lists go back to the day shown.
    void impossibleArchiveDate()
    {
        QFETCH(QString, month);
        QFETCH(QString, day);
        QFETCH(QString, named);
        auto form = startedForm(h.config());
        FormHarness::ctl<QRadioButton>(*form, "Option9")->setChecked(true);
        QVERIFY(h.settle(*form));
        const auto type = [&form](const char *name, const QString &text) {
            QLineEdit *edit = FormHarness::ctl<QComboBox>(*form, name)->lineEdit();
            edit->selectAll();
            QTest::keyClicks(edit, text);
            QTest::keyClick(edit, Qt::Key_Return);
        };
        type("Combo2", month);
        QVERIFY(h.settle(*form));
        const QString shown = form->shownMapName();
        h.server.clearRequests();
        type("Combo3", day);
        QVERIFY(h.settle(*form));
        const QString status = FormHarness::ctl<QLabel>(*form, "Label33")->text();
        QVERIFY2(status.contains(named), qPrintable(status));
        QVERIFY(h.server.requests().isEmpty());
        QCOMPARE(form->shownMapName(), shown);
        const QDate date = form->model().archiveDate();
        QCOMPARE(FormHarness::ctl<QComboBox>(*form, "Combo2")->currentText(), QString::number(date.month()));
        QCOMPARE(FormHarness::ctl<QComboBox>(*form, "Combo3")->currentText(), QString::number(date.day()));
        QCOMPARE(FormHarness::ctl<QScrollBar>(*form, "HScroll2")->value(), date.dayOfYear());
        QCOMPARE(FormHarness::ctl<QLabel>(*form, "Label32")->text(), longDate(date));
    }

    // The copies do not look at the cache nor the server: nothing answers any more. The
    // status says what was copied.
    void addressCopy()
    {
        auto form = startedForm(h.config());
        h.server.setFault(QStringLiteral("*"), Fault{.refuse = true});
        const QString server = QStringLiteral("http://") + h.server.hostPort();
        QClipboard *clipboard = QGuiApplication::clipboard();
        FormHarness::ctl<QRadioButton>(*form, "Option5")->setChecked(true);
        FormHarness::ctl<QScrollBar>(*form, "HScroll1")->setValue(3);
        FormHarness::ctl<QPushButton>(*form, "Command11")->click();
        QCOMPARE(clipboard->text(), server + QStringLiteral("/wz/pics/Rtavn2411.gif"));
        QCOMPARE(FormHarness::ctl<QLabel>(*form, "Label3")->text(), msg(Msg::AddressCopied) + clipboard->text());

        form->model().setArchiveYear(1990);
        form->model().setArchiveMonth(3);
        form->model().setArchiveDay(2);
        FormHarness::ctl<QRadioButton>(*form, "Option9")->setChecked(true);
        FormHarness::ctl<QRadioButton>(*form, "Option11")->setChecked(true);
        FormHarness::ctl<QPushButton>(*form, "Command11")->click();
        QCOMPARE(clipboard->text(), server + QStringLiteral("/archive/ra/1990/Rrea00219900302.gif"));
    }

    // "deleteall" inside a longer word empties the ".png" cache and leaves the rest.
    void deleteAll()
    {
        Form1Config config = h.config();
        config.deleteAll = parseCommandLine({QStringLiteral("--x"), QStringLiteral("pleasedeleteallnow")}).deleteAll;
        h.cacheMap(*kindByNumber(2), 5);  // no start-up step fetches this one back
        h.writeCache(QStringLiteral("p500a19900302.gif"), QByteArray());
        startedForm(config);
        QVERIFY(!QFile::exists(h.cachePath(QStringLiteral("prec5.png"))));
        QVERIFY(QFile::exists(h.cachePath(QStringLiteral("p500a19900302.gif"))));
    }
};

QTEST_MAIN(TstMapDisplay)
#include "tst_mapdisplay.moc"
