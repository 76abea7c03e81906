// The window's panels: "Calculer" filling both forecast panels from the cached maps, and
// the help window at start-up and from "Aide".
#include "tests/support/formharness.h"

#include "forecast/geometry.h"
#include "forecast/legends.h"
#include "shell/helpwindow.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <cmath>

namespace {

// How a quantity is read, written out independently of the panel tables: the mean of the
// decodable samples of a 7 x 7 grid around the place.
struct Quantity {
    const char *key;
    Decoded (*decode)(qint32);
    bool domain2;
    int spacing;
};

QString expectedText(DemoMapServer &server, const Quantity &q, int step, bool floatSum, const QString &unit)
{
    const QImage map = QImage::fromData(server.mapBytes(FormHarness::mapPath(q.key, step)));
    float x = 4000, y = 4000;
    if (q.domain2)
        ConvertD1TOD2(4000, 4000, x, y);
    float fsum = 0;
    double dsum = 0;
    int count = 0;
    for (int i = -3; i <= 3; ++i) {
        for (int j = -3; j <= 3; ++j) {
            const int px = int(std::floor(x / 15.0f + float(i * q.spacing)));
            const int py = int(std::floor(y / 15.0f + float(j * q.spacing)));
            const QRgb c = map.valid(px, py) ? map.pixel(px, py) : 0;
            const Decoded d = q.decode(map.valid(px, py) ? qint32(qRed(c) | qGreen(c) << 8 | qBlue(c) << 16) : -1);
            if (d.isNoMatch())
                continue;
            ++count;
            fsum = float(double(fsum) + d.sumValue());
            dsum += d.sumValue();
        }
    }
    return count == 0 ? QString() : QLocale().toString((floatSum ? double(fsum) : dsum) / count, 'f', 1) + unit;
}

} // namespace

class TstFormPanels : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(h.start());
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    }
    void init()
    {
        h.resetSettings();
        h.server.clearFaults();
    }

    void bothPanels_data();
    void bothPanels();
    void missingMapOnlyThatQuantity();
    void help();

private:
    std::unique_ptr<Form1> formAtPlace()
    {
        auto form = h.makeForm();
        form->PlaceX = form->PlaceY = 4000;
        ConvertD1TOD2(4000, 4000, form->PlaceX2, form->PlaceY2);
        return form;
    }
    FormHarness h;
};

void TstFormPanels::bothPanels_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("archive");
    QTest::newRow("step 0") << 0 << false;
    QTest::newRow("step 3, fetched on demand") << 3 << false;
    QTest::newRow("archive mode reads the current run") << 2 << true;
}

// Frame4 reads the selected step (single-precision sums), Frame3 step 0 (double sums).
void TstFormPanels::bothPanels()
{
    QFETCH(int, step);
    QFETCH(bool, archive);
    auto form = formAtPlace();
    form->HScroll1->setValue(step);
    if (archive)
        form->Option9->setChecked(true);

    form->Command3->click();

    QVERIFY(form->Frame3->isVisibleTo(form.get()) && form->Frame4->isVisibleTo(form.get()));
    const QString deg = QStringLiteral("°C");
    const struct { QLabel *series, *current; Quantity q; QString unit; } rows[] = {
        {form->Label13, form->Label7, {"temp", GetTemp, false, 3}, deg},
        {form->Label12, form->Label8, {"prec", GetPrec, false, 1}, msg(73)},
        {form->Label21, form->Label17, {"nebu", GetNebu, false, 1}, QStringLiteral("%")},
        {form->Label23, form->Label19, {"p850", GetP850, false, 1}, deg},
        {form->Label27, form->Label25, {"vent", GetVent, true, 1}, msg(25)},
    };
    for (const auto &r : rows) {
        QCOMPARE(r.series->text(), expectedText(h.server, r.q, step, true, r.unit));
        QCOMPARE(r.current->text(), expectedText(h.server, r.q, 0, false, r.unit));
    }
}

void TstFormPanels::missingMapOnlyThatQuantity()
{
    auto form = formAtPlace();
    Fault notFound;
    notFound.status = 404;
    for (const char *key : {"temp", "nebu"})
        h.server.setFault(QLatin1Char('*') + FormHarness::mapPath(key, 3).section(QLatin1Char('/'), -1), notFound);
    form->HScroll1->setValue(3);

    form->Command3->click();

    QCOMPARE(form->Label13->text(), msg(58));
    QCOMPARE(form->Label21->text(), QStringLiteral("NC"));
    QCOMPARE(form->Label12->text(), expectedText(h.server, {"prec", GetPrec, false, 1}, 3, true, msg(73)));
    QCOMPARE(form->Label7->text(), expectedText(h.server, {"temp", GetTemp, false, 3}, 0, false, QStringLiteral("°C")));
}

// The start-up help follows the saved "help" value; "Aide" shows the same window, without
// its box once "OK" was pressed.
void TstFormPanels::help()
{
    for (const char *saved : {(const char *)nullptr, "0", "1"}) {
        h.resetSettings(saved);
        auto form = h.makeForm();
        QCOMPARE(form->helpWindow()->isLoaded(), !saved || saved[0] == '0');  // loaded at its first show
        QVERIFY(!form->helpWindow()->isVisible());  // unattended: closed at once
    }
    h.resetSettings(nullptr);
    auto form = h.makeForm();
    Form2 *help = form->helpWindow();
    form->Command14->click();
    QVERIFY(help->isVisible() && help->Check1->isVisible());
    help->Command1->click();
    form->Command14->click();
    QCOMPARE(form->helpWindow(), help);
    QVERIFY(help->isVisible() && !help->Check1->isVisible());
    help->hide();
}

QTEST_MAIN(TstFormPanels)
#include "tst_formpanels.moc"
