#include "forecast/readout.h"

#include "shell/messages.h"

#include <QLocale>
#include <QTest>

using Colours = QList<qint32>;

namespace {

qint32 rgb(int r, int g, int b) { return qint32(r + 256 * g + 65536 * b); }

// Legend colours with the values the tests rely on.
const qint32 Ramp9 = rgb(0, 100, 254);    // storm 0
const qint32 Ramp13 = rgb(0, 230, 160);   // temp -5
const qint32 Ramp14 = rgb(0, 230, 120);   // temp -2
const qint32 Ramp15 = rgb(0, 230, 80);    // temp 1, 850 hPa -6, 500 hPa 540, wind 37.4
const qint32 Ramp20 = rgb(254, 200, 0);   // storm 900
const qint32 Ramp27 = rgb(180, 25, 30);   // storm 1750
const qint32 Ramp33 = rgb(254, 0, 225);   // in no legend
const qint32 Prec01 = rgb(0, 254, 150);   // 0.1 mm
const qint32 Prec1 = rgb(0, 200, 254);    // 1 mm
const qint32 Grey96 = rgb(250, 250, 250);
const qint32 Grey0 = rgb(20, 20, 20);
const qint32 Black = 0;
const qint32 Outside = -1;

// n samples of a, the rest of the 25 of b.
Colours grid(qint32 a, int n, qint32 b)
{
    Colours c(25, b);
    std::fill(c.begin(), c.begin() + n, a);
    return c;
}

void setUnitMessages()
{
    Messages::set(25, QStringLiteral(" km/h"));
    Messages::set(58, QStringLiteral("N/D"));
    Messages::set(59, QStringLiteral("faible"));
    Messages::set(60, QStringLiteral("modéré"));
    Messages::set(61, QStringLiteral("fort"));
    Messages::set(73, QStringLiteral(" mm"));
    Messages::set(77, QStringLiteral(" dam"));
}

} // namespace

Q_DECLARE_METATYPE(ReadoutRule)

class TstReadout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setUnitMessages(); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void ruleForMapShown_data();
    void ruleForMapShown();
    void textOfSamples_data();
    void textOfSamples();
    void numberFormat_data();
    void numberFormat();
    void stormClasses_data();
    void stormClasses();
};

void TstReadout::ruleForMapShown_data()
{
    QTest::addColumn<bool>("archive");
    QTest::addColumn<bool>("archive850");
    QTest::addColumn<int>("kind");
    QTest::addColumn<ReadoutRule>("rule");

    QTest::newRow("temp") << false << false << 1 << ReadoutRule::Temp;
    QTest::newRow("prec") << false << true << 2 << ReadoutRule::Prec;
    QTest::newRow("nebu") << false << false << 3 << ReadoutRule::Nebu;
    QTest::newRow("p850") << false << false << 4 << ReadoutRule::P850;
    QTest::newRow("orag") << false << false << 5 << ReadoutRule::Orag;
    QTest::newRow("p500") << false << false << 6 << ReadoutRule::P500;
    QTest::newRow("vent") << false << false << 7 << ReadoutRule::Vent;
    QTest::newRow("no kind reads as storm") << false << false << 0 << ReadoutRule::Orag;
    QTest::newRow("archive 850 ignores the kind") << true << true << 1 << ReadoutRule::P850;
    QTest::newRow("archive 500 ignores the kind") << true << false << 4 << ReadoutRule::P500;
}

void TstReadout::ruleForMapShown()
{
    QFETCH(bool, archive);
    QFETCH(bool, archive850);
    QFETCH(int, kind);
    QFETCH(ReadoutRule, rule);
    QCOMPARE(readoutRule(archive, archive850, kind), rule);
}

void TstReadout::textOfSamples_data()
{
    QTest::addColumn<ReadoutRule>("rule");
    QTest::addColumn<Colours>("colours");
    QTest::addColumn<QString>("text");

    QTest::newRow("temp uniform") << ReadoutRule::Temp << grid(Ramp15, 25, Ramp15) << "1°C";
    QTest::newRow("temp 0.88 down to 0.8") << ReadoutRule::Temp << grid(Ramp15, 24, Ramp14) << "0.8°C";
    QTest::newRow("temp -2.36 down to -2.4, not -2.3")
        << ReadoutRule::Temp << grid(Ramp14, 22, Ramp13) << "-2.4°C";
    QTest::newRow("temp skips colours of no legend")
        << ReadoutRule::Temp << grid(Ramp14, 1, Ramp33) << "-2°C";
    QTest::newRow("p850") << ReadoutRule::P850 << grid(Ramp15, 25, Ramp15) << "-6°C";
    QTest::newRow("p500") << ReadoutRule::P500 << grid(Ramp15, 25, Ramp15) << "540 dam";
    QTest::newRow("wind 37.4 down to 37") << ReadoutRule::Vent << grid(Ramp15, 25, Ramp15) << "37 km/h";
    QTest::newRow("cloud 92.16 down to 92") << ReadoutRule::Nebu << grid(Grey96, 24, Grey0) << "92%";
    QTest::newRow("prec: off-legend colours count as 0")
        << ReadoutRule::Prec << grid(Prec1, 12, Black) << "0.4 mm";
    QTest::newRow("prec: points outside the picture do not count")
        << ReadoutRule::Prec << grid(Prec1, 9, Outside) << "1 mm";
    // (0.1 + 0.1 + 1) / 3 * 10 is a hair below 4 in binary.
    QTest::newRow("prec: a rounding error does not lose a tenth")
        << ReadoutRule::Prec << Colours{Prec01, Prec01, Prec1, Outside} << "0.4 mm";
    QTest::newRow("storm off the legend") << ReadoutRule::Orag << grid(Ramp33, 25, Ramp33) << "N/D";
    QTest::newRow("storm all 0") << ReadoutRule::Orag << grid(Ramp9, 25, Ramp9) << "faible";
    QTest::newRow("storm 900") << ReadoutRule::Orag << grid(Ramp20, 25, Ramp20) << "modéré";
    QTest::newRow("storm 1750") << ReadoutRule::Orag << grid(Ramp27, 20, Ramp33) << "fort";
    QTest::newRow("nothing inside the picture") << ReadoutRule::Temp << grid(Outside, 25, Outside) << "N/D";
    QTest::newRow("prec with nothing inside") << ReadoutRule::Prec << grid(Outside, 25, Outside) << "N/D";
}

void TstReadout::textOfSamples()
{
    QFETCH(ReadoutRule, rule);
    QFETCH(Colours, colours);
    QFETCH(QString, text);
    QCOMPARE(readoutText(rule, std::span<const qint32>(colours.constData(), colours.size())), text);
}

void TstReadout::numberFormat_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<ReadoutRule>("rule");
    QTest::addColumn<double>("average");
    QTest::addColumn<QString>("text");

    QTest::newRow("C separator") << "C" << ReadoutRule::Temp << -3.55 << "-3.6°C";
    QTest::newRow("French separator") << "fr_FR" << ReadoutRule::Temp << -3.55 << "-3,6°C";
    QTest::newRow("French wind") << "fr_FR" << ReadoutRule::Vent << 93.5 << "93 km/h";
    QTest::newRow("whole number has no separator") << "fr_FR" << ReadoutRule::Temp << 12.0 << "12°C";
    QTest::newRow("no group separator") << "en_US" << ReadoutRule::P500 << 1234.9 << "1234 dam";
    QTest::newRow("just below zero is -0.1") << "C" << ReadoutRule::Temp << -0.04 << "-0.1°C";
    QTest::newRow("just above zero is 0, unsigned") << "C" << ReadoutRule::Temp << 0.04 << "0°C";
    QTest::newRow("prec tenths") << "C" << ReadoutRule::Prec << 0.19 << "0.1 mm";
}

void TstReadout::numberFormat()
{
    QFETCH(QString, locale);
    QFETCH(ReadoutRule, rule);
    QFETCH(double, average);
    QFETCH(QString, text);
    QLocale::setDefault(QLocale(locale));
    QCOMPARE(readoutText(rule, std::optional<double>(average)), text);
}

void TstReadout::stormClasses_data()
{
    QTest::addColumn<double>("average");
    QTest::addColumn<int>("message");

    QTest::newRow("0") << 0.0 << 59;
    QTest::newRow("10") << 10.0 << 59;
    QTest::newRow("700") << 700.0 << 59;
    QTest::newRow("800") << 800.0 << 59;
    QTest::newRow("just above 800") << 800.04 << 60;
    QTest::newRow("900") << 900.0 << 60;
    QTest::newRow("1600") << 1600.0 << 60;
    QTest::newRow("just above 1600") << 1600.04 << 61;
    QTest::newRow("2500") << 2500.0 << 61;
}

void TstReadout::stormClasses()
{
    QFETCH(double, average);
    QFETCH(int, message);
    QCOMPARE(stormClassMessage(average), message);
    QCOMPARE(readoutText(ReadoutRule::Orag, std::optional<double>(average)), msg(message));
}

QTEST_GUILESS_MAIN(TstReadout)
#include "tst_readout.moc"
