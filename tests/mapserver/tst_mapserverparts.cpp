// The pure parts of the demonstration server: paths, HTTP heads, fault patterns, classes.
#include "forecast/legends.h"
#include "mapserver/faultspec.h"
#include "mapserver/faulttable.h"
#include "mapserver/httpmessage.h"
#include "mapserver/legendscale.h"
#include "mapserver/mappath.h"

#include <QtTest>

class TestMapServerParts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void forecastPaths_data();
    void forecastPaths();
    void archivePaths_data();
    void archivePaths();
    void requestHeads_data();
    void requestHeads();
    void faultPatterns_data();
    void faultPatterns();
    void faultSpecs_data();
    void faultSpecs();
    void legendClasses_data();
    void legendClasses();
    void everyClassValueKeepsItsClass_data();
    void everyClassValueKeepsItsClass();
};

void TestMapServerParts::forecastPaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("kind");  // empty: no map
    QTest::addColumn<int>("step");

    QTest::newRow("temp step 0, server 1") << "/wz/pics/Rtavn065.gif" << "temp" << 0;
    QTest::newRow("temp step 0, server 3") << "/pics/Rtavn065.gif" << "temp" << 0;
    QTest::newRow("query ignored") << "/pics/Rtavn065.gif?x=1" << "temp" << 0;
    QTest::newRow("temp step 15") << "/wz/pics/Rtavn965.gif" << "temp" << 15;
    QTest::newRow("temp step 16") << "/wz/pics/Rtavn1025.gif" << "temp" << 16;
    QTest::newRow("prec step 4") << "/wz/pics/Rtavn304.gif" << "prec" << 4;
    QTest::newRow("nebu") << "/wz/pics/Rtavn063.gif" << "nebu" << 0;
    QTest::newRow("p850") << "/wz/pics/Rtavn062.gif" << "p850" << 0;
    QTest::newRow("p500 step 12") << "/wz/pics/Rtavn781.gif" << "p500" << 12;
    QTest::newRow("vent step 30") << "/wz/pics/Rtavn1868.gif" << "vent" << 30;
    QTest::newRow("orag step 0") << "/wz/pics/Rtavn0611.gif" << "orag" << 0;
    QTest::newRow("orag step 16") << "/wz/pics/Rtavn10211.gif" << "orag" << 16;
    QTest::newRow("temp step 64") << "/wz/pics/Rtavn3905.gif" << "temp" << 64;

    QTest::newRow("missing zero") << "/wz/pics/Rtavn65.gif" << "" << 0;
    QTest::newRow("orag without its zero") << "/wz/pics/Rtavn611.gif" << "" << 0;
    QTest::newRow("extra zero") << "/wz/pics/Rtavn0065.gif" << "" << 0;
    QTest::newRow("unknown code") << "/wz/pics/Rtavn066.gif" << "" << 0;
    QTest::newRow("hour not a multiple of 6") << "/wz/pics/Rtavn075.gif" << "" << 0;
    QTest::newRow("hour 0") << "/wz/pics/Rtavn005.gif" << "" << 0;
    QTest::newRow("beyond the last step") << "/wz/pics/Rtavn9995.gif" << "" << 0;
    QTest::newRow("huge number") << "/wz/pics/Rtavn99999999999995.gif" << "" << 0;
    QTest::newRow("other folder") << "/maps/Rtavn065.gif" << "" << 0;
    QTest::newRow("png") << "/wz/pics/Rtavn065.png" << "" << 0;
    QTest::newRow("root") << "/" << "" << 0;
}

void TestMapServerParts::forecastPaths()
{
    QFETCH(QString, path);
    QFETCH(QString, kind);
    QFETCH(int, step);
    const std::optional<MapRequest> r = parseMapPath(path);
    QCOMPARE(r.has_value(), !kind.isEmpty());
    if (!r)
        return;
    QCOMPARE(r->type, MapRequest::Forecast);
    QCOMPARE(QString::fromLatin1(r->kind->key), kind);
    QCOMPARE(r->step, step);
}

void TestMapServerParts::archivePaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QDate>("day");

    QTest::newRow("500 hPa") << "/archive/ra/1990/Rrea00119900315.gif" << "p500" << QDate(1990, 3, 15);
    QTest::newRow("850 hPa") << "/archive/ra/1990/Rrea00219900315.gif" << "p850" << QDate(1990, 3, 15);
    QTest::newRow("first year") << "/archive/ra/1956/Rrea00119560102.gif" << "p500" << QDate(1956, 1, 2);
    QTest::newRow("last day") << "/archive/ra/2005/Rrea00220051231.gif" << "p850" << QDate(2005, 12, 31);
    QTest::newRow("leap day") << "/archive/ra/2004/Rrea00120040229.gif" << "p500" << QDate(2004, 2, 29);

    QTest::newRow("31 February") << "/archive/ra/1990/Rrea00119900231.gif" << "" << QDate();
    QTest::newRow("29 February of a common year") << "/archive/ra/2005/Rrea00120050229.gif" << "" << QDate();
    QTest::newRow("month 13") << "/archive/ra/1990/Rrea00119901301.gif" << "" << QDate();
    QTest::newRow("day 0") << "/archive/ra/1990/Rrea00119900300.gif" << "" << QDate();
    QTest::newRow("before the archive") << "/archive/ra/1955/Rrea00119551231.gif" << "" << QDate();
    QTest::newRow("after the archive") << "/archive/ra/2006/Rrea00120060101.gif" << "" << QDate();
    QTest::newRow("folder of another year") << "/archive/ra/1991/Rrea00119900315.gif" << "" << QDate();
    QTest::newRow("unknown level") << "/archive/ra/1990/Rrea00319900315.gif" << "" << QDate();
    QTest::newRow("short date") << "/archive/ra/1990/Rrea0011990315.gif" << "" << QDate();
}

void TestMapServerParts::archivePaths()
{
    QFETCH(QString, path);
    QFETCH(QString, kind);
    QFETCH(QDate, day);
    const std::optional<MapRequest> r = parseMapPath(path);
    QCOMPARE(r.has_value(), !kind.isEmpty());
    if (!r)
        return;
    QCOMPARE(r->type, MapRequest::Archive);
    QCOMPARE(QString::fromLatin1(r->kind->key), kind);
    QCOMPARE(r->day, day);
}

void TestMapServerParts::requestHeads_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<bool>("keepAlive");

    QTest::newRow("HTTP/1.1 GET") << QByteArray("GET /pics/Rtavn065.gif HTTP/1.1\r\nHost: x") << true
                                  << QByteArray("GET") << QByteArray("/pics/Rtavn065.gif") << true;
    QTest::newRow("close asked") << QByteArray("GET / HTTP/1.1\r\nConnection: close") << true << QByteArray("GET")
                                 << QByteArray("/") << false;
    QTest::newRow("HTTP/1.0 closes") << QByteArray("HEAD /a HTTP/1.0") << true << QByteArray("HEAD")
                                     << QByteArray("/a") << false;
    QTest::newRow("HTTP/1.0 keep-alive") << QByteArray("GET /a HTTP/1.0\r\nconnection: Keep-Alive") << true
                                         << QByteArray("GET") << QByteArray("/a") << true;
    QTest::newRow("no version") << QByteArray("GET /a") << false << QByteArray() << QByteArray() << false;
    QTest::newRow("HTTP/2") << QByteArray("GET /a HTTP/2.0") << false << QByteArray() << QByteArray() << false;
    QTest::newRow("absolute target") << QByteArray("GET a HTTP/1.1") << false << QByteArray() << QByteArray() << false;
    QTest::newRow("broken header line") << QByteArray("GET /a HTTP/1.1\r\nnonsense") << false << QByteArray()
                                        << QByteArray() << false;
    QTest::newRow("binary junk") << QByteArray("\x16\x03\x01\x02\x00", 5) << false << QByteArray() << QByteArray()
                                 << false;
}

void TestMapServerParts::requestHeads()
{
    QFETCH(QByteArray, head);
    QFETCH(bool, valid);
    HttpRequestHead r;
    QCOMPARE(parseRequestHead(head, r), valid);
    if (!valid)
        return;
    QTEST(r.method, "method");
    QTEST(r.target, "target");
    QTEST(r.keepAlive, "keepAlive");
}

void TestMapServerParts::faultPatterns_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");  // of the fault found, -1 for none

    QTest::newRow("exact path") << "/wz/pics/Rtavn065.gif" << 500;
    QTest::newRow("file name pattern") << "/pics/Rtavn062.gif" << 404;
    QTest::newRow("later pattern wins") << "/archive/ra/1990/Rrea00119900315.gif" << 503;
    QTest::newRow("query ignored") << "/pics/Rtavn062.gif?a" << 404;
    QTest::newRow("no match") << "/pics/Rtavn0611.gif" << -1;
}

void TestMapServerParts::faultPatterns()
{
    QFETCH(QString, path);
    QFETCH(int, status);
    FaultTable table;
    Fault f;
    f.status = 404;
    table.set(QStringLiteral("Rtavn06?.gif"), f);
    f.status = 500;
    table.set(QStringLiteral("/wz/pics/Rtavn065.gif"), f);
    f.status = 400;
    table.set(QStringLiteral("*Rrea001*"), f);
    f.status = 503;
    table.set(QStringLiteral("Rrea*"), f);
    const std::optional<Fault> found = table.match(path);
    QCOMPARE(found ? found->status : -1, status);
    table.clear();
    QVERIFY(!table.match(path));
}

void TestMapServerParts::faultSpecs_data()
{
    QTest::addColumn<QString>("spec");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QStringList>("patterns");
    QTest::addColumn<QString>("firstFault");  // refuse/hang/nolength/delay/status/cut as text

    QTest::newRow("one") << "*065.gif:refuse" << true << QStringList{"*065.gif"} << "refuse";
    QTest::newRow("two options") << "*065.gif:delay=250,status=500" << true << QStringList{"*065.gif"} << "delay=250 status=500";
    QTest::newRow("two faults") << "a:hang;b:cut=10" << true << QStringList{"a", "b"} << "hang";
    QTest::newRow("no length") << "Rrea*:nolength" << true << QStringList{"Rrea*"} << "nolength";
    QTest::newRow("empty") << "" << true << QStringList{} << "";
    QTest::newRow("no pattern") << ":refuse" << false << QStringList{} << "";
    QTest::newRow("no option") << "a:" << false << QStringList{} << "";
    QTest::newRow("unknown option") << "a:explode" << false << QStringList{} << "";
    QTest::newRow("status 200") << "a:status=200" << false << QStringList{} << "";
    QTest::newRow("negative delay") << "a:delay=-5" << false << QStringList{} << "";
    QTest::newRow("delay without value") << "a:delay" << false << QStringList{} << "";
    QTest::newRow("valid then invalid") << "a:refuse;b:cut=x" << false << QStringList{} << "";
}

void TestMapServerParts::faultSpecs()
{
    QFETCH(QString, spec);
    QFETCH(bool, valid);
    QFETCH(QStringList, patterns);
    QFETCH(QString, firstFault);
    QList<QPair<QString, Fault>> faults;
    QString error;
    QCOMPARE(parseFaultSpec(spec, faults, &error), valid);
    QCOMPARE(error.isEmpty(), valid);
    QStringList got;
    for (const auto &p : faults)
        got.append(p.first);
    QCOMPARE(got, patterns);  // nothing half-parsed is kept
    if (faults.isEmpty())
        return;
    const Fault &f = faults.first().second;
    QStringList parts;
    if (f.refuse)
        parts << "refuse";
    if (f.hang)
        parts << "hang";
    if (f.noContentLength)
        parts << "nolength";
    if (f.delayMs)
        parts << QStringLiteral("delay=%1").arg(f.delayMs);
    if (f.status)
        parts << QStringLiteral("status=%1").arg(f.status);
    if (f.cutAfter >= 0)
        parts << QStringLiteral("cut=%1").arg(f.cutAfter);
    QCOMPARE(parts.join(QLatin1Char(' ')), firstFault);
}

void TestMapServerParts::legendClasses_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<float>("value");
    QTest::addColumn<double>("classValue");  // what the class stands for

    QTest::newRow("rain below 0.1 is dry") << "prec" << 0.05f << 0.0;
    QTest::newRow("rain 0.1") << "prec" << 0.1f << 0.1;
    QTest::newRow("rain 4.9") << "prec" << 4.9f << 2.0;
    QTest::newRow("rain beyond the legend") << "prec" << 80.0f << 50.0;
    QTest::newRow("negative rain") << "prec" << -1.0f << 0.0;
    QTest::newRow("clear sky") << "nebu" << 3.0f << 0.0;
    QTest::newRow("overcast") << "nebu" << 100.0f << 96.0;
    QTest::newRow("cloud 10") << "nebu" << 10.0f << 8.0;
    QTest::newRow("storm 9") << "orag" << 9.0f << 0.0;
    QTest::newRow("storm 1800") << "orag" << 1800.0f << 1750.0;
    QTest::newRow("temp reads one above stored") << "temp" << 1.4f << 1.0;
    QTest::newRow("temp between classes") << "temp" << 2.6f << 4.0;
    QTest::newRow("temp far below") << "temp" << -80.0f << -44.0;
    QTest::newRow("850 hPa") << "p850" << 0.9f << 0.0;
    QTest::newRow("500 hPa") << "p500" << 551.0f << 552.0;
    QTest::newRow("wind in knots") << "vent" << 13.1f << 14.0;
    QTest::newRow("not a number") << "temp" << std::numeric_limits<float>::quiet_NaN() << -44.0;
}

void TestMapServerParts::legendClasses()
{
    QFETCH(QString, kind);
    QFETCH(float, value);
    QFETCH(double, classValue);
    const LegendScale scale(kind.toLatin1().constData());
    QCOMPARE(scale.classValue(scale.classOf(value)), classValue);
}

void TestMapServerParts::everyClassValueKeepsItsClass_data()
{
    QTest::addColumn<QString>("kind");
    for (const char *k : {"temp", "prec", "nebu", "p850", "orag", "p500", "vent"})
        QTest::newRow(k) << QString::fromLatin1(k);
}

void TestMapServerParts::everyClassValueKeepsItsClass()
{
    QFETCH(QString, kind);
    const QByteArray key = kind.toLatin1();
    const LegendScale scale(key.constData());
    const QVector<LegendEntry> entries = Legends::instance().entries(key.constData());
    QCOMPARE(scale.size(), entries.size());
    for (int i = 0; i < scale.size(); ++i) {
        QCOMPARE(scale.classOf(float(scale.classValue(i))), i);
        QCOMPARE(scale.colour(i), qRgb(entries[i].r, entries[i].g, entries[i].b));
        QVERIFY(!scale.label(i).isEmpty());
    }
}

QTEST_APPLESS_MAIN(TestMapServerParts)
#include "tst_mapserverparts.moc"
