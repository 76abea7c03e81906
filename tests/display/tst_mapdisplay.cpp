// The map display, the step bar and the address copy of a real window against the
// demonstration server.
#include "viewer/form1.h"
#include "viewer/picturebox.h"

#include "forecast/geometry.h"
#include "mapserver/demoserver.h"
#include "retrieval/catalogue.h"
#include "retrieval/retrievalservice.h"
#include "shell/commandline.h"
#include "shell/imageloader.h"
#include "shell/messages.h"
#include "shell/settings.h"
#include "tests/support/logreader.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <memory>

namespace {

constexpr QRgb Red = 0xFF0000, Blue = 0x0000FF;

QRgb rgb(QRgb c) { return c & 0xFFFFFF; }

int floorDiv(int a, int b) { return int(std::floor(double(a) / b)); }

// Pixels of the canvas that differ from the map stretched by an integer zoom with its
// top-left corner at `origin`, black around it.
QList<QPoint> differences(const QImage &canvas, const QImage &map, QPoint origin, int zoom)
{
    QList<QPoint> found;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const int mx = floorDiv(x - origin.x(), zoom), my = floorDiv(y - origin.y(), zoom);
            const QRgb want = map.rect().contains(mx, my) ? rgb(map.pixel(mx, my)) : 0;
            if (rgb(canvas.pixel(x, y)) != want)
                found << QPoint(x, y);
        }
    }
    return found;
}

// Where the map's top-left corner lands in Picture1 for the window's offsets and zoom.
QPoint mapOrigin(const Form1 &form)
{
    return QPoint(int(std::floor(form.OffsetX * form.Zoom / 15.0)), int(std::floor(form.OffsetY * form.Zoom / 15.0)));
}

// Centre of the differing pixels of one colour, in image pixels of the unzoomed map.
QPointF markerOnMap(const Form1 &form, const QList<QPoint> &diffs, QRgb colour)
{
    QRect box;
    const QImage canvas = form.Picture1->canvas();
    for (const QPoint &p : diffs)
        if (rgb(canvas.pixel(p)) == colour)
            box |= QRect(p, QSize(1, 1));
    const QPointF centre = QRectF(box).center() - QPointF(0.5, 0.5);
    return (centre - QPointF(mapOrigin(form))) / form.Zoom;
}

} // namespace

class TstMapDisplay : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();

    void firstStart();
    void secondStartFetchesNothing();
    void zoomPanRepaintOnlyRepaint();
    void missingStepFetchedAndShown();
    void unshowableMaps();
    void markerFrame_data();
    void markerFrame();
    void archiveRolledDate();
    void stepCaptions_data();
    void stepCaptions();
    void dragLoadsOnRelease();
    void animation();
    void addressCopy_data();
    void addressCopy();
    void deleteAllWord_data();
    void deleteAllWord();

private:
    std::unique_ptr<Form1> makeForm(const QStringList &commandLine = {});
    std::unique_ptr<Form1> startedForm();
    void cacheMap(const MapKind &kind, int step);
    QImage cachedImage(const QString &name) const;
    QStringList log() const;
    void verifyShows(const Form1 &form, const QString &name, int maxMarkerPixels);

    QTemporaryDir m_settingsDir;
    std::unique_ptr<QTemporaryDir> m_cache;
    DemoMapServer m_server;
};

void TstMapDisplay::initTestCase()
{
    QVERIFY(m_settingsDir.isValid());
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    QVERIFY(m_server.start());
}

void TstMapDisplay::init()
{
    QSettings settings(QStringLiteral("Cartavent"), QStringLiteral("Cartavent"));
    settings.clear();
    settings.sync();
    m_cache = std::make_unique<QTemporaryDir>();
    QVERIFY(m_cache->isValid());
    m_server.clearFaults();
    m_server.clearRequests();
}

std::unique_ptr<Form1> TstMapDisplay::makeForm(const QStringList &commandLine)
{
    Form1Config config;
    config.cacheDir = m_cache->path();
    config.programDir = qEnvironmentVariable("CARTAVENT_DATA_DIR");
    config.hosts = QStringList{m_server.hostPort(), m_server.hostPort(), m_server.hostPort()};
    config.deleteAll = parseCommandLine(commandLine).deleteAll;
    config.unattended = true;
    return std::make_unique<Form1>(config);
}

void TstMapDisplay::cacheMap(const MapKind &kind, int step)
{
    QFile f(joinPath(m_cache->path(), forecastCacheName(kind, step)));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(m_server.mapBytes(QStringLiteral("/wz/pics/") + forecastMapFile(kind, step)));
}

// A window after start-up over a cache that already holds the run's first step.
std::unique_ptr<Form1> TstMapDisplay::startedForm()
{
    for (const MapKind &kind : mapKinds())
        cacheMap(kind, 0);
    SavedSettings::writeText(QStringLiteral("help"), QStringLiteral("1"));
    auto form = makeForm();
    form->Form_Load();
    m_server.clearRequests();
    return form;
}

QImage TstMapDisplay::cachedImage(const QString &name) const
{
    return LoadPictureFile(joinPath(m_cache->path(), name)).picture;
}

QStringList TstMapDisplay::log() const
{
    return readLogMessages(joinPath(m_cache->path(), QStringLiteral("log.txt")));
}

// Picture1 holds the cached map at the window's zoom and pan, black around it, and at
// most the marker on top; the legend strip holds the map's own pixels.
void TstMapDisplay::verifyShows(const Form1 &form, const QString &name, int maxMarkerPixels)
{
    const QImage map = cachedImage(name);
    QVERIFY(!map.isNull());
    QCOMPARE(form.Picture3->picture().size(), map.size());
    const QList<QPoint> diffs = differences(form.Picture1->canvas(), map, mapOrigin(form), int(form.Zoom));
    QVERIFY2(diffs.size() <= maxMarkerPixels, qPrintable(QString::number(diffs.size())));
    for (const QPoint &p : diffs) {
        const QRgb c = rgb(form.Picture1->canvas().pixel(p));
        QVERIFY(c == Red || c == Blue);
    }
    QVERIFY(form.Label36->isHidden());

    const QPoint legend = form.Option9->isChecked() ? QPoint(833, 137) : QPoint(803, 137);
    const QImage strip = form.Picture5->canvas();
    for (QPoint p : {QPoint(0, 0), QPoint(10, 200), QPoint(strip.width() - 1, strip.height() - 1)})
        QCOMPARE(rgb(strip.pixel(p)), rgb(map.pixel(legend + p)));
}

void TstMapDisplay::firstStart()
{
    auto form = makeForm();
    form->Form_Load();

    const QStringList lines = log();
    const QStringList inOrder = {
        "Démarrage", "Refresh 1 ", "Refresh Picture", "Fichier à afficher temp0.png",
        "Image temp0.png manquant. Cherche à la télécharger", "Essaye d'afficher : temp0.png",
        "erreur 22", "Téléchargement de l'image temp0.png", " Pas d'image !", "Fin Oldloaded",
        "Cherche nouveau modèle...", "Fin Cherche nouveau modèle", "Debut refresh picture",
        "Fin refresh picture", "Essaye d'afficher : temp0.png", "Fin d'essai", "Fin Oldloaded",
    };
    qsizetype at = 0;
    for (const QString &line : inOrder) {
        at = lines.indexOf(line, at);
        QVERIFY2(at >= 0, qPrintable(line));
        ++at;
    }
    for (const MapKind &kind : mapKinds())
        QVERIFY2(QFile::exists(joinPath(m_cache->path(), forecastCacheName(kind, 0))), kind.key);
    verifyShows(*form, QStringLiteral("temp0.png"), 24);
    QCOMPARE(form->OldLoaded, QStringLiteral("temp0.png"));
    QVERIFY(form->windowTitle().endsWith(msg(72)));
}

void TstMapDisplay::secondStartFetchesNothing()
{
    startedForm();
    auto form = makeForm();
    form->Form_Load();
    QCOMPARE(m_server.requests(), QStringList{QStringLiteral("/wz/pics/Rtavn065.gif")});
    QVERIFY(!log().contains(QStringLiteral("Image temp0.png manquant. Cherche à la télécharger")));
    verifyShows(*form, QStringLiteral("temp0.png"), 24);
}

void TstMapDisplay::zoomPanRepaintOnlyRepaint()
{
    auto form = startedForm();
    const qsizetype before = log().size();

    form->Zoom = 2;
    form->RefreshPicture();
    verifyShows(*form, QStringLiteral("temp0.png"), 96);
    // Far enough right that the left of Picture1 is no longer covered: it must be black,
    // not what the previous paint left there.
    form->Zoom = 1;
    form->OffsetX = 3000;
    form->RefreshPicture();
    verifyShows(*form, QStringLiteral("temp0.png"), 24);
    QCOMPARE(form->Picture1->Point(5, 100), 0);
    form->Form_Paint();

    const QStringList added = log().mid(before);
    QCOMPARE(added.count(QStringLiteral("Refresh Picture")), 3);
    for (const QString &line : added)
        QVERIFY2(!line.startsWith(QStringLiteral("Essaye d'afficher")), qPrintable(line));
    QVERIFY(m_server.requests().isEmpty());
}

void TstMapDisplay::missingStepFetchedAndShown()
{
    auto form = startedForm();
    const qsizetype before = log().size();
    form->HScroll1->setValue(2);

    QCOMPARE(m_server.requests(), QStringList{QStringLiteral("/wz/pics/Rtavn185.gif")});
    const QStringList added = log().mid(before);
    const qsizetype missing = added.indexOf(QStringLiteral("Image temp2.png manquant. Cherche à la télécharger"));
    QVERIFY(missing >= 0);
    QVERIFY(added.indexOf(QStringLiteral("Essaye d'afficher : temp2.png")) > missing);
    QVERIFY(!added.contains(QStringLiteral(" Pas d'image !")));
    verifyShows(*form, QStringLiteral("temp2.png"), 24);
}

// An undecodable file is not fetched again; a map absent from the server is fetched three
// times. Neither leaves the last map on screen, and the next good map clears the notice.
void TstMapDisplay::unshowableMaps()
{
    auto form = startedForm();
    QFile broken(joinPath(m_cache->path(), QStringLiteral("prec0.png")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("<html>not a map</html>");
    broken.close();
    form->Option3->setChecked(true);
    QVERIFY(m_server.requests().isEmpty());
    QVERIFY(form->Label36->isVisible());
    QCOMPARE(form->Picture1->Point(300, 200), 0);

    Fault notFound;
    notFound.status = 404;
    m_server.setFault(QStringLiteral("*Rtavn245.gif"), notFound);
    form->Option1->setChecked(true);
    form->HScroll1->setValue(3);
    QCOMPARE(m_server.requests(), QStringList(3, QStringLiteral("/wz/pics/Rtavn245.gif")));
    QVERIFY(log().contains(QStringLiteral(" Pas d'image !")));
    QCOMPARE(form->Label36->text(), QStringLiteral("Pas d'image!"));
    QVERIFY(form->Label36->isVisible());
    QVERIFY(form->Label36->geometry().contains(form->Picture1->geometry().center()));
    const QImage nothing(1, 1, QImage::Format_RGB32);
    QVERIFY(differences(form->Picture1->canvas(), nothing, QPoint(-9, -9), 1).size() <= 24);  // the marker

    m_server.clearRequests();
    form->HScroll1_Change();
    QVERIFY(m_server.requests().isEmpty());
    form->HScroll1->setValue(0);
    verifyShows(*form, QStringLiteral("temp0.png"), 24);
}

void TstMapDisplay::markerFrame_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("name");
    QTest::addColumn<float>("zoom");
    QTest::addColumn<bool>("domain2");
    QTest::newRow("temperature") << "Option1" << "temp0.png" << 1.0f << false;
    QTest::newRow("temperature, zoom 2") << "Option1" << "temp0.png" << 2.0f << false;
    QTest::newRow("500 hPa") << "Option6" << "p5000.png" << 1.0f << false;
    QTest::newRow("storm") << "Option5" << "orag0.png" << 1.0f << true;
    QTest::newRow("wind, zoom 2") << "Option7" << "vent0.png" << 2.0f << true;
}

// The red square's centre sits on the place's map point, in the frame of the map shown.
void TstMapDisplay::markerFrame()
{
    QFETCH(QString, option);
    QFETCH(QString, name);
    QFETCH(float, zoom);
    QFETCH(bool, domain2);
    auto form = startedForm();
    form->PlaceX = 6000;
    form->PlaceY = 5000;
    ConvertD1TOD2(form->PlaceX, form->PlaceY, form->PlaceX2, form->PlaceY2);
    const QPointF d1(form->PlaceX / 15, form->PlaceY / 15), d2(form->PlaceX2 / 15, form->PlaceY2 / 15);
    QVERIFY2((d1 - d2).manhattanLength() > 6, "the two frames must tell the place apart");

    form->findChild<QRadioButton *>(option)->setChecked(true);
    form->Zoom = zoom;
    form->RefreshPicture();
    const QList<QPoint> diffs = differences(form->Picture1->canvas(), cachedImage(name), mapOrigin(*form), int(zoom));
    const QPointF marker = markerOnMap(*form, diffs, Red);
    QVERIFY2((marker - (domain2 ? d2 : d1)).manhattanLength() <= 2,
             qPrintable(QStringLiteral("%1,%2").arg(marker.x()).arg(marker.y())));
}

void TstMapDisplay::archiveRolledDate()
{
    auto form = startedForm();
    QFile f(joinPath(m_cache->path(), QStringLiteral("p500a20040231.gif")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(m_server.mapBytes(QStringLiteral("/archive/ra/2004/Rrea00120040302.gif")));
    f.close();

    form->Combo1->setCurrentIndex(form->Combo1->findText(QStringLiteral("2004")));
    form->Combo2->setEditText(QStringLiteral("2"));
    form->Combo3->setEditText(QStringLiteral("31"));
    m_server.clearRequests();
    form->Option9->setChecked(true);

    QVERIFY(m_server.requests().isEmpty());
    QCOMPARE(form->OldLoaded, QStringLiteral("p500a20040231.gif"));
    QCOMPARE(form->windowTitle(), msg(56) + QLatin1Char(' ')
                                      + QLocale::system().toString(QDate(2004, 3, 2), QLocale::LongFormat));
    verifyShows(*form, QStringLiteral("p500a20040231.gif"), 0);  // no marker in archive mode
}

void TstMapDisplay::stepCaptions_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("hours");
    QTest::newRow("step 0") << 0 << "0h";
    QTest::newRow("step 3") << 3 << "18h";
}

void TstMapDisplay::stepCaptions()
{
    QFETCH(int, step);
    QFETCH(QString, hours);
    auto form = startedForm();
    const auto expected = [step] {
        const QDateTime t = QDateTime::currentDateTime().addSecs(qint64(step) * 6 * 3600);
        return QLocale::system().toString(t.date(), QLocale::LongFormat) + QStringLiteral("  à ")
            + QString::number(t.time().hour() / 6 * 6) + QLatin1Char('h');
    };
    const QString before = expected();
    form->HScroll1->setValue(step);
    form->HScroll1_Change();
    const QString after = expected();
    QCOMPARE(form->Label2->text(), hours);
    QCOMPARE(form->Frame4->title(), QStringLiteral("Situation à +") + hours);
    QVERIFY2(form->Label14->text() == before || form->Label14->text() == after, qPrintable(form->Label14->text()));
}

void TstMapDisplay::dragLoadsOnRelease()
{
    auto form = startedForm();
    const QString step0 = form->Label14->text();
    const qsizetype before = log().size();
    form->HScroll1->setSliderDown(true);
    form->HScroll1->setSliderPosition(8);
    QCOMPARE(form->HScroll1->value(), 0);
    QCOMPARE(form->Label2->text(), QStringLiteral("0h"));
    QVERIFY(form->Label14->text() != step0);  // two days ahead
    QVERIFY(!log().mid(before).contains(QStringLiteral("Refresh Picture")));
    QVERIFY(m_server.requests().isEmpty());

    form->HScroll1->setSliderDown(false);
    QCOMPARE(form->HScroll1->value(), 8);
    QCOMPARE(form->Label2->text(), QStringLiteral("48h"));
    verifyShows(*form, QStringLiteral("temp8.png"), 24);
}

void TstMapDisplay::animation()
{
    auto form = startedForm();
    form->HScroll1->setMaximum(2);
    form->HScroll1->setValue(2);
    form->stepAnimationTick();
    QCOMPARE(form->HScroll1->value(), 0);
    form->Timer1_Timer();
    QCOMPARE(form->HScroll1->value(), 1);
    QCOMPARE(form->Label2->text(), QStringLiteral("6h"));

    // In archive mode the same clock moves the archive days, not the steps.
    form->Option9->setChecked(true);
    form->Timer1_Timer();
    QCOMPARE(form->HScroll1->value(), 1);
}

void TstMapDisplay::addressCopy_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("step");
    QTest::addColumn<QStringList>("date");  // archive mode when given: year, month, day
    QTest::addColumn<bool>("p850");
    QTest::addColumn<QString>("path");

    QTest::newRow("temperature step 0") << "Option1" << 0 << QStringList{} << false << "/wz/pics/Rtavn065.gif";
    QTest::newRow("storm step 3") << "Option5" << 3 << QStringList{} << false << "/wz/pics/Rtavn2411.gif";
    QTest::newRow("archive 500 hPa") << "Option1" << 0 << QStringList{"1990", "3", "2"} << false
                                     << "/archive/ra/1990/Rrea00119900302.gif";
    QTest::newRow("archive 850 hPa, impossible day")
        << "Option1" << 0 << QStringList{"1990", "2", "31"} << true << "/archive/ra/1990/Rrea00219900231.gif";
}

void TstMapDisplay::addressCopy()
{
    QFETCH(QString, option);
    QFETCH(int, step);
    QFETCH(QStringList, date);
    QFETCH(bool, p850);
    QFETCH(QString, path);

    auto form = startedForm();
    // Copies do not look at the server: nothing answers any more.
    Fault refuse;
    refuse.refuse = true;
    m_server.setFault(QStringLiteral("*"), refuse);
    form->findChild<QRadioButton *>(option)->setChecked(true);
    form->HScroll1->setValue(step);
    if (!date.isEmpty()) {
        form->Combo1->setCurrentIndex(form->Combo1->findText(date[0]));
        form->Combo2->setEditText(date[1]);
        form->Combo3->setEditText(date[2]);
        (p850 ? form->Option11 : form->Option10)->setChecked(true);
        form->Option9->setChecked(true);
    }
    QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
    form->Command11->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("http://") + m_server.hostPort() + path);
}

void TstMapDisplay::deleteAllWord_data()
{
    QTest::addColumn<QStringList>("commandLine");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("inside a longer word") << QStringList{"--x", "pleasedeleteallnow"} << true;
    QTest::newRow("capitals") << QStringList{"DELETEALL"} << false;
}

void TstMapDisplay::deleteAllWord()
{
    QFETCH(QStringList, commandLine);
    QFETCH(bool, deleted);
    for (const MapKind &kind : mapKinds())
        cacheMap(kind, 0);
    cacheMap(*kindByNumber(2), 5);  // no start-up step fetches this one back
    const QString archive = joinPath(m_cache->path(), QStringLiteral("p500a19900302.gif"));
    QFile(archive).open(QIODevice::WriteOnly);
    SavedSettings::writeText(QStringLiteral("help"), QStringLiteral("1"));

    auto form = makeForm(commandLine);
    form->Form_Load();
    QCOMPARE(QFile::exists(joinPath(m_cache->path(), QStringLiteral("prec5.png"))), !deleted);
    QVERIFY(QFile::exists(archive));
    verifyShows(*form, QStringLiteral("temp0.png"), 24);
}

QTEST_MAIN(TstMapDisplay)
#include "tst_mapdisplay.moc"
