// The meteogram's values: at every step those of the point forecast, a missing map a gap,
// and a map decoded once for each version of its file and each place.
#include "core/kinds.h"
#include "forecast/geometry.h"
#include "forecast/meteogramtext.h"
#include "mapserver/demoserver.h"
#include "shell/messages.h"
#include "shell/paths.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int LastStep = 3;
const char *const Kinds[] = {"temp", "prec", "nebu", "p850", "orag", "vent"};

PanelInputs placeAt(const QString &dir, QPointF twips, int step = 0)
{
    PanelInputs in;
    in.cacheDir = dir;
    in.step = step;
    in.PlaceX = float(twips.x());
    in.PlaceY = float(twips.y());
    ConvertD1TOD2(in.PlaceX, in.PlaceY, in.PlaceX2, in.PlaceY2);
    return in;
}

QString cacheName(const char *kind, int step) { return forecastCacheName(*kindByKey(QLatin1String(kind)), step); }

} // namespace

class TstMeteogramSeries : public QObject {
    Q_OBJECT
    DemoMapServer server;  // its maps, rendered without serving them
    QTemporaryDir dir;

    bool writeMap(const char *kind, int step, int fromStep)
    {
        const QByteArray bytes = server.mapBytes(QStringLiteral("/wz/pics/") + forecastMapFile(*kindByKey(QLatin1String(kind)), fromStep));
        QFile f(dir.filePath(cacheName(kind, step)));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }

private Q_SLOTS:
    void init()
    {
        for (int step = 0; step <= LastStep; ++step) {
            for (const char *kind : Kinds)
                QVERIFY(writeMap(kind, step, step));
        }
    }

    void matchesThePanels_data()
    {
        QTest::addColumn<QPointF>("place");
        QTest::addColumn<QString>("gone");  // kind removed at step 2, "" none, "all" every one
        QTest::newRow("a whole step missing") << QPointF(4000, 4000) << "all";
        QTest::newRow("the wind map missing") << QPointF(6500, 5200) << "vent";
        QTest::newRow("nothing missing") << QPointF(9000, 2500) << "";
        QTest::newRow("grid past the bottom edge") << QPointF(5000, 620 * 15 - 20) << "temp";
        QTest::newRow("off the map") << QPointF(-30000, -30000) << "";
    }
    void matchesThePanels()
    {
        QFETCH(QPointF, place);
        QFETCH(QString, gone);
        QVector<MapNeed> needs;
        for (const MeteogramSource &source : meteogramSources()) {
            const char *kind = source.quantity->key;
            if (gone == u"all" || gone == QLatin1String(kind)) {
                QVERIFY(QFile::remove(dir.filePath(cacheName(kind, 2))));
                needs.append({2, kindByKey(QLatin1String(kind))->number});
            }
        }
        QCOMPARE(meteogramMissing(dir.path(), LastStep), needs);
        PanelTable storm = PanelTable::current();  // the storm energy, read at any step
        storm.fixedStep.reset();
        MapSampleMemo memo;
        for (int step = 0; step <= LastStep; ++step) {
            const PanelInputs in = placeAt(dir.path(), place, step);
            const MeteogramStep got = readMeteogramStep(in, memo);
            bool ok = false;
            QImage work;
            const PanelResult series = computePanel(PanelTable::series(), in, ok, {}, work);
            const PanelResult current = computePanel(storm, in, ok, {}, work);
            QCOMPARE(got.missing, step == 2 ? int(needs.size()) : 0);
            for (const MeteogramSource &source : meteogramSources()) {
                const PanelRole role = source.quantity->role;
                const std::optional<double> expected = (role == PanelRole::Storm ? current : series).mean(role);
                QCOMPARE(got.mean(role), expected);
                if (!expected)
                    QCOMPARE(meteogramValue(role, got.mean(role)), msg(Msg::Unavailable));
            }
        }
    }

    void decodesOncePerVersion_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("decodes");  // on the second reading
        QTest::newRow("the same place again") << "" << 0;
        QTest::newRow("another place") << "place" << 6 * (LastStep + 1);
        QTest::newRow("one map of a new run") << "map" << 1;
    }
    void decodesOncePerVersion()
    {
        QFETCH(QString, change);
        QFETCH(int, decodes);
        MapSampleMemo memo;
        const auto readAll = [&](QPointF place) {
            QVector<MeteogramStep> steps;
            for (int step = 0; step <= LastStep; ++step)
                steps << readMeteogramStep(placeAt(dir.path(), place, step), memo);
            return steps;
        };
        readAll({4000, 4000});
        const int before = memo.decodes();
        if (change == u"map")
            QVERIFY(writeMap("temp", 1, 3));  // another size and time under the same name
        const QPointF second = change == u"place" ? QPointF(7000, 3000) : QPointF(4000, 4000);
        const QVector<MeteogramStep> again = readAll(second);
        QCOMPARE(memo.decodes() - before, decodes);
        MapSampleMemo fresh;  // what was kept is what the files give now
        QCOMPARE(readMeteogramStep(placeAt(dir.path(), second, 1), fresh).means, again[1].means);
    }

    void stormMarks_data()
    {
        QTest::addColumn<double>("energy");  // J/kg; negative: none
        QTest::addColumn<int>("level");
        QTest::newRow("no value") << -1.0 << 0;
        QTest::newRow("up to a storm") << double(StormEnergy) << 0;
        QTest::newRow("just above") << StormEnergy + 0.5 << 1;
        QTest::newRow("weak up to 800") << 800.0 << 1;
        QTest::newRow("moderate from above 800") << 800.5 << 2;
        QTest::newRow("strong") << 1600.5 << 3;
    }
    void stormMarks()
    {
        QFETCH(double, energy);
        QTEST(stormLevel(energy < 0 ? std::nullopt : std::optional(energy)), "level");
    }
};

QTEST_MAIN(TstMeteogramSeries)
#include "tst_meteogramseries.moc"
