#include "forecast/readout.h"

#include "shell/messages.h"

#include <QLocale>
#include <QTest>

using Colours = QList<qint32>;
Q_DECLARE_METATYPE(ReadoutRule)

namespace {

qint32 rgb(int r, int g, int b) { return qint32(r + 256 * g + 65536 * b); }

// Legend colours with the values the tests rely on.
const qint32 Ramp14 = rgb(0, 230, 120);   // temp -2
const qint32 Ramp15 = rgb(0, 230, 80);    // temp 1, 850 hPa -6, 500 hPa 540, wind 37.4
const qint32 Ramp27 = rgb(180, 25, 30);   // storm 1750
const qint32 Ramp33 = rgb(254, 0, 225);   // in no legend
const qint32 Prec01 = rgb(0, 254, 150);   // 0.1 mm
const qint32 Prec1 = rgb(0, 200, 254);    // 1 mm
const qint32 Outside = -1;                // a sample off the picture

// n samples of a, the rest of the 25 of b.
Colours grid(qint32 a, int n, qint32 b)
{
    Colours c(25, b);
    std::fill(c.begin(), c.begin() + n, a);
    return c;
}

} // namespace

class TstReadout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        Messages::set(25, QStringLiteral(" km/h"));
        Messages::set(58, QStringLiteral("N/D"));
        Messages::set(59, QStringLiteral("faible"));
        Messages::set(60, QStringLiteral("modéré"));
        Messages::set(61, QStringLiteral("fort"));
        Messages::set(73, QStringLiteral(" mm"));
        Messages::set(77, QStringLiteral(" dam"));
    }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void textOfSamples_data()
    {
        QTest::addColumn<ReadoutRule>("rule");
        QTest::addColumn<Colours>("colours");
        QTest::addColumn<QString>("text");
        QTest::newRow("temp 0.88 down to 0.8") << ReadoutRule::Temp << grid(Ramp15, 24, Ramp14) << "0.8°C";
        QTest::newRow("temp skips colours of no legend") << ReadoutRule::Temp << grid(Ramp14, 1, Ramp33) << "-2°C";
        QTest::newRow("p500") << ReadoutRule::P500 << grid(Ramp15, 25, Ramp15) << "540 dam";
        QTest::newRow("wind 37.4 down to 37") << ReadoutRule::Vent << grid(Ramp15, 25, Ramp15) << "37 km/h";
        QTest::newRow("cloud 92.16 down to 92") << ReadoutRule::Nebu << grid(rgb(250, 250, 250), 24, rgb(20, 20, 20)) << "92\u00A0%";
        QTest::newRow("prec: off-legend colours count as 0") << ReadoutRule::Prec << grid(Prec1, 12, 0) << "0.4 mm";
        QTest::newRow("prec near the border: outside points do not count") << ReadoutRule::Prec << grid(Prec1, 9, Outside) << "1 mm";
        // (0.1 + 0.1 + 1) / 3 * 10 is a hair below 4 in binary.
        QTest::newRow("prec: a rounding error does not lose a tenth") << ReadoutRule::Prec << Colours{Prec01, Prec01, Prec1, Outside} << "0.4 mm";
        QTest::newRow("storm 1750 near the border") << ReadoutRule::Orag << grid(Ramp27, 20, Outside) << "fort";
        QTest::newRow("storm off the legend") << ReadoutRule::Orag << grid(Ramp33, 25, Ramp33) << "N/D";
        QTest::newRow("nothing inside the picture") << ReadoutRule::Prec << grid(Outside, 25, Outside) << "N/D";
    }
    void textOfSamples()
    {
        QFETCH(ReadoutRule, rule);
        QFETCH(Colours, colours);
        QFETCH(QString, text);
        QCOMPARE(readoutText(rule, std::span<const qint32>(colours.constData(), colours.size())), text);
    }

    // Under a French locale.
    void textOfAverage_data()
    {
        QTest::addColumn<ReadoutRule>("rule");
        QTest::addColumn<double>("average");
        QTest::addColumn<QString>("text");
        QTest::newRow("just below zero is -0,1") << ReadoutRule::Temp << -0.04 << "-0,1°C";
        QTest::newRow("storm 800 is weak") << ReadoutRule::Orag << 800.0 << "faible";
        QTest::newRow("storm just above 800") << ReadoutRule::Orag << 800.04 << "modéré";
        QTest::newRow("storm just above 1600") << ReadoutRule::Orag << 1600.04 << "fort";
    }
    void textOfAverage()
    {
        QFETCH(ReadoutRule, rule);
        QFETCH(double, average);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        QCOMPARE(readoutText(rule, std::optional<double>(average)), text);
    }
};

QTEST_GUILESS_MAIN(TstReadout)
#include "tst_readout.moc"
