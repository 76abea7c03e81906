// "Calculer" in the window: both panels filled from the cached maps, fetching what is missing.
#include "formharness.h"

#include "viewer/picturebox.h"

#include "forecast/geometry.h"
#include "forecast/legends.h"
#include "forecast/pictogram.h"

#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <cmath>
#include <optional>

namespace {

struct Place {
    float x, y, x2, y2;
};

Place placeAt(float x, float y)
{
    Place p{x, y, 0, 0};
    ConvertD1TOD2(x, y, p.x2, p.y2);
    return p;
}

// How a quantity is read, written out independently of the panel tables.
struct Quantity {
    const char *key;
    Decoded (*decode)(qint32);
    bool domain2;
    int spacing;
};
const Quantity Temp{"temp", GetTemp, false, 3};
const Quantity Prec{"prec", GetPrec, false, 1};
const Quantity Nebu{"nebu", GetNebu, false, 1};
const Quantity P850{"p850", GetP850, false, 1};
const Quantity Orag{"orag", GetOrag, true, 1};
const Quantity Vent{"vent", GetVent, true, 1};

qint32 colourAt(const QImage &image, int x, int y)
{
    if (!image.valid(x, y))
        return -1;
    const QRgb c = image.pixel(x, y);
    return qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16);
}

std::optional<double> expectedMean(DemoMapServer &server, const Quantity &q, int step,
                                   const Place &place, bool singleSum)
{
    const QImage map = QImage::fromData(server.mapBytes(FormHarness::mapPath(q.key, step)));
    const float cx = (q.domain2 ? place.x2 : place.x) / 15.0f;
    const float cy = (q.domain2 ? place.y2 : place.y) / 15.0f;
    float fsum = 0;
    double dsum = 0;
    int count = 0;
    for (int i = -3; i <= 3; ++i) {
        for (int j = -3; j <= 3; ++j) {
            const int px = int(std::floor(cx + float(i * q.spacing)));
            const int py = int(std::floor(cy + float(j * q.spacing)));
            const Decoded d = q.decode(colourAt(map, px, py));
            if (d.isNoMatch())
                continue;
            ++count;
            fsum = float(double(fsum) + d.sumValue());
            dsum += d.sumValue();
        }
    }
    if (count == 0)
        return std::nullopt;
    return (singleSum ? double(fsum) : dsum) / count;
}

QString shown(const std::optional<double> &mean, const QString &unit)
{
    return QLocale().toString(*mean, 'f', 1) + unit;
}

int pictogramOf(const PictureBox *box)
{
    return box->property("pictogram").toInt();
}

} // namespace

class TstFormPanels : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void bothPanels_data();
    void bothPanels();
    void missingMapOnlyThatQuantity();
    void stormPictogramOnlyInCurrentPanel();

private:
    void choose(Form1 &form, const Place &place);
    FormHarness h;
    Place m_place{};
};

void TstFormPanels::initTestCase()
{
    QVERIFY(h.start());
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    m_place = placeAt(4000, 4000);
}

void TstFormPanels::init()
{
    h.resetSettings();
    h.server.clearFaults();
}

void TstFormPanels::cleanupTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void TstFormPanels::choose(Form1 &form, const Place &place)
{
    form.PlaceX = place.x;
    form.PlaceY = place.y;
    form.PlaceX2 = place.x2;
    form.PlaceY2 = place.y2;
}

void TstFormPanels::bothPanels_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("archive");
    QTest::newRow("step 0") << 0 << false;
    QTest::newRow("step 3, fetched on demand") << 3 << false;
    QTest::newRow("archive mode reads the current run") << 2 << true;
}

void TstFormPanels::bothPanels()
{
    QFETCH(int, step);
    QFETCH(bool, archive);
    auto form = h.makeForm();
    choose(*form, m_place);
    form->HScroll1->setValue(step);
    if (archive)
        form->Option9->setChecked(true);
    QVERIFY(!form->Frame3->isVisibleTo(form.get()) && !form->Frame4->isVisibleTo(form.get()));

    form->Command3->click();

    QVERIFY(form->Frame3->isVisibleTo(form.get()) && form->Frame4->isVisibleTo(form.get()));
    struct Expect { QLabel *label; const Quantity &q; QString unit; };
    const QString degrees = QStringLiteral("°C");
    const Expect series[] = {
        {form->Label13, Temp, degrees}, {form->Label12, Prec, msg(73)}, {form->Label21, Nebu, QStringLiteral("%")},
        {form->Label23, P850, degrees}, {form->Label27, Vent, msg(25)},
    };
    const Expect current[] = {
        {form->Label7, Temp, degrees}, {form->Label8, Prec, msg(73)}, {form->Label17, Nebu, QStringLiteral("%")},
        {form->Label19, P850, degrees}, {form->Label25, Vent, msg(25)},
    };
    for (const Expect &e : series) {
        const auto mean = expectedMean(h.server, e.q, step, m_place, true);
        QVERIFY2(mean, e.q.key);  // the place must read every map
        QCOMPARE(e.label->text(), shown(mean, e.unit));
    }
    for (const Expect &e : current)
        QCOMPARE(e.label->text(), shown(expectedMean(h.server, e.q, 0, m_place, false), e.unit));
    QVERIFY(form->Label13->text().contains(QLatin1Char(',')));

    // Each pictogram box shows the file of the number it was given.
    for (PictureBox *box : {form->picto1, form->picto2}) {
        const QImage expected(pictogramFile(form->config().programDir, pictogramOf(box)));
        QVERIFY(!expected.isNull());
        QCOMPARE(box->picture(), expected);
    }
    // Picture4 keeps the last map read: the step-0 wind map.
    QCOMPARE(form->Picture4->picture().size(),
             QImage::fromData(h.server.mapBytes(FormHarness::mapPath("vent", 0))).size());
}

void TstFormPanels::missingMapOnlyThatQuantity()
{
    auto form = h.makeForm();
    choose(*form, m_place);
    const int step = 3;
    Fault notFound;
    notFound.status = 404;
    for (const char *key : {"temp", "nebu"})
        h.server.setFault(QLatin1Char('*') + forecastMapFile(*kindByKey(QLatin1String(key)), step), notFound);
    form->HScroll1->setValue(step);

    form->Command3->click();

    QCOMPARE(form->Label13->text(), msg(58));
    QCOMPARE(form->Label21->text(), QStringLiteral("NC"));
    QVERIFY(!msg(58).isEmpty());
    QCOMPARE(form->Label12->text(), shown(expectedMean(h.server, Prec, step, m_place, true), msg(73)));
    QCOMPARE(form->Label23->text(), shown(expectedMean(h.server, P850, step, m_place, true), QStringLiteral("°C")));
    QCOMPARE(form->Label27->text(), shown(expectedMean(h.server, Vent, step, m_place, true), msg(25)));
    // The current situation reads step 0, which the server still has.
    QCOMPARE(form->Label7->text(), shown(expectedMean(h.server, Temp, 0, m_place, false), QStringLiteral("°C")));
    QVERIFY(!QFile::exists(h.cachePath(QStringLiteral("temp3.png"))));
    QVERIFY(!form->OK);
}

void TstFormPanels::stormPictogramOnlyInCurrentPanel()
{
    // A place of the server's step-0 maps where the storm energy is above 200 J/kg.
    std::optional<Place> stormy;
    for (float y = 1500; y < 9000 && !stormy; y += 150) {
        for (float x = 1500; x < 13000 && !stormy; x += 150) {
            const Place p = placeAt(x, y);
            const auto storm = expectedMean(h.server, Orag, 0, p, false);
            if (storm && *storm > 200 && expectedMean(h.server, Temp, 0, p, false))
                stormy = p;
        }
    }
    QVERIFY2(stormy, "the server's storm map has no cell above 200 J/kg");

    auto form = h.makeForm();
    choose(*form, *stormy);
    form->Command3->click();

    const QList<int> storms{13, 18};
    QVERIFY2(storms.contains(pictogramOf(form->picto1)), qPrintable(QString::number(pictogramOf(form->picto1))));
    QVERIFY(!storms.contains(pictogramOf(form->picto2)));
    QVERIFY(!form->picto2->picture().isNull());
}

QTEST_MAIN(TstFormPanels)
#include "tst_formpanels.moc"
