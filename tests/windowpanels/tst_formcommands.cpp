// The window's commands: "Calculer" filling both forecast panels from the cached maps, the
// help window at start-up and from "Aide", download all with its stop and refusal, and the
// maximum step.
#include "tests/support/formharness.h"
#include "tests/support/logreader.h"
#include "tests/support/panelexpect.h"

#include "forecast/geometry.h"
#include "forecast/legends.h"
#include "core/kinds.h"
#include "viewer/helpwindow.h"

#include <QSignalSpy>
#include <QtWidgets>
#include <cmath>

namespace {

// The server paths of the maps of one step, kinds 1 to lastKind.
QStringList mapPaths(int step, int lastKind = 7)
{
    QStringList paths;
    for (int k = 1; k <= lastKind; ++k)
        paths << FormHarness::mapPath(kindByNumber(k)->key, step);
    return paths;
}

} // namespace

class TstFormCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(h.startInFrench()); }
    void init() { h.resetAll(); }

    void bothPanels_data();
    void bothPanels();
    void help();
    void downloadAll();
    void downloadAllStopsAndStartsAfresh();
    void selectionDuringPass();
    void refusedWhileBusy();
    void stopEndsWhatRuns();
    void failuresAreReported();
    void maximumStep_data();
    void maximumStep();

private:
    QStringList log() const { return readLogMessages(h.cachePath(QStringLiteral("log.txt"))); }
    static QByteArray readFile(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    FormHarness h;
};

void TstFormCommands::bothPanels_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("archive");
    QTest::newRow("step 3, fetched on demand") << 3 << false;
    QTest::newRow("archive mode reads the current run") << 2 << true;
}

// Frame4 reads the selected step (single-precision sums), Frame3 step 0 (double sums).
void TstFormCommands::bothPanels()
{
    QFETCH(int, step);
    QFETCH(bool, archive);
    auto form = h.makeFormAt(4000, 4000);
    FormHarness::ctl<QScrollBar>(*form, "HScroll1")->setValue(step);
    if (archive)
        FormHarness::ctl<QRadioButton>(*form, "Option9")->setChecked(true);

    FormHarness::ctl<QPushButton>(*form, "Command3")->click();
    QTRY_VERIFY(!FormHarness::ctl<QLabel>(*form, "Label13")->isHidden());  // the values replace the hint

    const QString deg = QStringLiteral("°C");
    const struct { QLabel *series, *current; Quantity q; QString unit; } rows[] = {
        {FormHarness::ctl<QLabel>(*form, "Label13"), FormHarness::ctl<QLabel>(*form, "Label7"), {"temp", GetTemp, false, 3}, deg},
        {FormHarness::ctl<QLabel>(*form, "Label12"), FormHarness::ctl<QLabel>(*form, "Label8"), {"prec", GetPrec, false, 1}, msg(73)},
        {FormHarness::ctl<QLabel>(*form, "Label21"), FormHarness::ctl<QLabel>(*form, "Label17"), {"nebu", GetNebu, false, 1}, QStringLiteral("\u00A0%")},
        {FormHarness::ctl<QLabel>(*form, "Label23"), FormHarness::ctl<QLabel>(*form, "Label19"), {"p850", GetP850, false, 1}, deg},
        {FormHarness::ctl<QLabel>(*form, "Label27"), FormHarness::ctl<QLabel>(*form, "Label25"), {"vent", GetVent, true, 1}, msg(25)},
    };
    for (const auto &r : rows) {
        QCOMPARE(r.series->text(), expectedText(h.server, r.q, step, true, r.unit));
        QCOMPARE(r.current->text(), expectedText(h.server, r.q, 0, false, r.unit));
    }
}

// The start-up help follows the saved "help" value; "Aide" shows it.
void TstFormCommands::help()
{
    for (const char *saved : {(const char *)nullptr, "0", "1"}) {
        h.resetSettings(saved);
        auto form = h.makeForm();
        // Loaded at its first show; unattended, closed at once.
        auto *shown = qobject_cast<Form2 *>(FormHarness::helpWindow());
        QCOMPARE(shown && shown->isLoaded(), !saved || saved[0] == '0');
        QVERIFY(!shown || !shown->isVisible());
    }
    h.resetSettings(nullptr);
    auto form = h.makeForm();
    FormHarness::ctl<QPushButton>(*form, "Command14")->click();
    QVERIFY(FormHarness::helpWindow()->isVisible());
    FormHarness::helpWindow()->hide();
}

// The pass runs up to four transfers at once, yet its captions, log lines and cache end as
// if the maps had been fetched one after another in catalogue order.
void TstFormCommands::downloadAll()
{
    auto form = h.makeForm();
    FormHarness::typeMaxStep(*form, QStringLiteral("1"));
    h.server.setFault(QStringLiteral("*.gif"), Fault{.delayMs = 30});  // a round trip, so transfers overlap
    h.server.resetPeakConnections();
    const qsizetype logStart = log().size();

    FormHarness::ctl<QPushButton>(*form, "Command15")->click();
    QStringList captions{FormHarness::ctl<QPushButton>(*form, "Command15")->text()};
    auto *pass = form->service().findChild<MapBatch *>();
    QVERIFY(pass);
    connect(pass, &MapBatch::groupDone, this, [&] { captions << FormHarness::ctl<QPushButton>(*form, "Command15")->text(); });
    QSignalSpy finished(pass, &MapBatch::finished);
    QVERIFY(finished.wait(20000));
    captions << FormHarness::ctl<QPushButton>(*form, "Command15")->text();

    QCOMPARE(h.server.requests(), mapPaths(0) + mapPaths(1));
    QCOMPARE(captions.size(), 16);
    QCOMPARE(captions.at(1), QStringLiteral("7,14\u00A0%"));
    QCOMPARE(captions.at(14), QStringLiteral("100\u00A0%"));
    QCOMPARE(captions.last(), msg(43));
    QVERIFY2(h.server.peakConnections() > 1 && h.server.peakConnections() <= FetchQueue::MaxParallel,
             qPrintable(QString::number(h.server.peakConnections())));

    // Exactly the lines a sequential pass writes, in catalogue order.
    QStringList expected;
    for (int s = 0; s <= 1; ++s) {
        for (int k = 1; k <= 7; ++k) {
            const MapKind &kind = *kindByNumber(k);
            const QString url = form->service().servers().NormalServer + forecastMapFile(kind, s);
            const QString file = h.cachePath(forecastCacheName(kind, s));
            expected << QStringLiteral("GetNewModeles : %1 carte : %2").arg(s).arg(k)
                     << "Télécharge : " + url + " to " + file << "Open URL : " + url + " to " + file
                     << "Après Open URL: " + url + " to " + file << "Ecrit : " + file
                     << "Fin de téléchargement de " + url << QStringLiteral("Fin GetNewModels");
            QCOMPARE(readFile(file), h.server.mapBytes(FormHarness::mapPath(kind.key, s)));
        }
    }
    QCOMPARE(log().mid(logStart), expected);
    QCOMPARE(FormHarness::ctl<QLabel>(*form, "Label3")->text(), msg(54));
}

void TstFormCommands::downloadAllStopsAndStartsAfresh()
{
    auto form = h.makeForm();
    FormHarness::typeMaxStep(*form, QStringLiteral("2"));
    int finished = 0;
    // A second press from inside the pass, after its third map.
    auto stopper = connect(&form->service(), &RetrievalService::statusText, form.get(), [&](const QString &text) {
        if (text == msg(54) && ++finished == 3)
            FormHarness::ctl<QPushButton>(*form, "Command15")->click();
    });

    FormHarness::ctl<QPushButton>(*form, "Command15")->click();
    QVERIFY(h.settle(*form));
    QCOMPARE(FormHarness::ctl<QPushButton>(*form, "Command15")->text(), msg(43));

    // What was under way when the stop came finished; the rest was never asked for.
    const QStringList asked = h.server.requests();
    QVERIFY2(asked.size() >= 3 && asked.size() < 7 * 3, qPrintable(asked.join(' ')));
    // The first maps of the catalogue, in whatever order their connections delivered them.
    const QStringList prefix = (mapPaths(0) + mapPaths(1)).mid(0, asked.size());
    QCOMPARE(QSet<QString>(asked.begin(), asked.end()), QSet<QString>(prefix.begin(), prefix.end()));
    QCOMPARE(log().filter(QStringLiteral("GetNewModeles")).size(), log().filter(QStringLiteral("Fin GetNewModels")).size());
    disconnect(stopper);
    QVERIFY(h.settle(*form));
    h.server.clearRequests();
    FormHarness::typeMaxStep(*form, QStringLiteral("1"));
    FormHarness::ctl<QPushButton>(*form, "Command15")->click();
    QVERIFY(h.settle(*form));
    const QStringList again = h.server.requests(), whole = mapPaths(0) + mapPaths(1);
    QCOMPARE(QSet<QString>(again.begin(), again.end()), QSet<QString>(whole.begin(), whole.end()));
    QCOMPARE(again.size(), whole.size());
}

// A map chosen during the pass is fetched at once, ahead of it, shown when it arrives, and
// not fetched a second time by the pass.
void TstFormCommands::selectionDuringPass()
{
    auto form = h.makeForm();
    FormHarness::typeMaxStep(*form, QStringLiteral("6"));
    h.server.setFault(QStringLiteral("*.gif"), Fault{.delayMs = 20});
    FormHarness::ctl<QPushButton>(*form, "Command15")->click();
    FormHarness::ctl<QRadioButton>(*form, "Option2")->setChecked(true);  // cloud cover ...
    FormHarness::ctl<QScrollBar>(*form, "HScroll1")->setValue(6);     // ... of the last step, which the pass reaches last
    QVERIFY(h.settle(*form));
    QCOMPARE(form->shownMapName(), QStringLiteral("nebu6.png"));
    // Among the first maps asked for, though 44 others come before it in the pass's order.
    QVERIFY2(h.server.requests().indexOf(FormHarness::mapPath("nebu", 6)) < 2 * FetchQueue::MaxParallel,
             qPrintable(h.server.requests().join(' ')));
    QCOMPARE(h.server.requests().count(FormHarness::mapPath("nebu", 6)), 1);
    QCOMPARE(h.server.requests().size(), 7 * 7);
}

// A second run job while one runs would race it for the same maps: message 42.
void TstFormCommands::refusedWhileBusy()
{
    auto form = h.makeForm();
    QSignalSpy boxes(&form->service(), &RetrievalService::messageBox);
    h.server.setFault(QStringLiteral("*Rtavn065.gif"), Fault{.delayMs = 400});
    FormHarness::ctl<QPushButton>(*form, "Command2")->click();  // the probe, held up by the server

    FormHarness::ctl<QPushButton>(*form, "Command15")->click();
    FormHarness::ctl<QPushButton>(*form, "Command10")->click();
    FormHarness::ctl<QPushButton>(*form, "Command2")->click();

    QCOMPARE(boxes.count(), 3);
    for (const QList<QVariant> &box : boxes)
        QCOMPARE(box.at(0).toString(), msg(42));
    QVERIFY(h.settle(*form));
    QCOMPARE(h.server.requests(), QStringList{FormHarness::mapPath("temp", 0)});  // the probe alone
}

// The stop control, and Échap, end whatever runs; the control shows only meanwhile.
void TstFormCommands::stopEndsWhatRuns()
{
    auto form = h.makeForm();
    auto *stop = form->findChild<QToolButton *>(QStringLiteral("stopButton"));
    QVERIFY(stop && !stop->isVisibleTo(form.get()));
    h.server.setFault(QStringLiteral("*.gif"), Fault{.delayMs = 5000});

    FormHarness::ctl<QPushButton>(*form, "Command10")->click();
    QVERIFY(stop->isVisibleTo(form.get()));
    stop->click();
    QVERIFY(h.settle(*form, 2000));  // long before the server would answer
    QCOMPARE(FormHarness::ctl<QLabel>(*form, "Label3")->text(), msg(85));
    QVERIFY(!stop->isVisibleTo(form.get()));

    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    FormHarness::typeMaxStep(*form, QStringLiteral("1"));
    FormHarness::ctl<QPushButton>(*form, "Command15")->click();
    QTest::keyClick(form.get(), Qt::Key_Escape);
    QVERIFY(h.settle(*form, 2000));
    QCOMPARE(FormHarness::ctl<QPushButton>(*form, "Command15")->text(), msg(43));
    QCOMPARE(QDir(h.cache->path()).entryList({QStringLiteral("*.png")}, QDir::Files).size(), 7);  // step 0 of start-up
}

// A step, a run or a pass in which maps failed never ends on a success text: the status
// says how many failed and why.
void TstFormCommands::failuresAreReported()
{
    auto form = h.makeForm();
    h.server.setFault(QStringLiteral("*Rtavn064.gif"), Fault{.status = 500});
    h.server.setFault(QStringLiteral("*Rtavn0611.gif"), Fault{.cutAfter = 100});

    FormHarness::ctl<QPushButton>(*form, "Command10")->click();
    QVERIFY(h.settle(*form));
    const QString status = FormHarness::ctl<QLabel>(*form, "Label3")->text();
    QVERIFY2(status != msg(54) && status.startsWith(QStringLiteral("2 ")) && status.contains(QStringLiteral("bytes")),
             qPrintable(status));  // the last failure was the cut body

    FormHarness::typeMaxStep(*form, QStringLiteral("1"));
    FormHarness::ctl<QPushButton>(*form, "Command15")->click();
    QVERIFY(h.settle(*form));
    QVERIFY2(FormHarness::ctl<QLabel>(*form, "Label3")->text().startsWith(QStringLiteral("2 ")), qPrintable(FormHarness::ctl<QLabel>(*form, "Label3")->text()));
    // The maps that could be had are in the cache, the others are not.
    QVERIFY(QFile::exists(h.cachePath(QStringLiteral("temp0.png"))));
}

void TstFormCommands::maximumStep_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<bool>("warned");
    QTest::newRow("40: accepted with a warning") << "40" << 0 << 40 << true;
    QTest::newRow("not a number: ignored") << "abc" << 4 << 30 << false;
    QTest::newRow("below the shown step moves it") << "5" << 10 << 5 << false;
    QTest::newRow("beyond the run: the digit refused") << "65" << 4 << 6 << false;
}

void TstFormCommands::maximumStep()
{
    QFETCH(QString, text);
    QFETCH(int, step);
    QFETCH(int, maximum);
    QFETCH(bool, warned);
    auto form = h.makeForm();
    FormHarness::ctl<QScrollBar>(*form, "HScroll1")->setValue(step);
    QVERIFY(h.settle(*form));
    FormHarness::ctl<QLabel>(*form, "Label3")->setText(QStringLiteral("before"));

    FormHarness::typeMaxStep(*form, text);

    QVERIFY(h.settle(*form));
    QCOMPARE(FormHarness::ctl<QScrollBar>(*form, "HScroll1")->maximum(), maximum);
    QCOMPARE(FormHarness::ctl<QScrollBar>(*form, "HScroll1")->value(), qMin(step, maximum));
    // A step that moves redraws the map, which writes its own status.
    QCOMPARE(FormHarness::ctl<QLabel>(*form, "Label3")->text() == msg(62), warned);
}

QTEST_MAIN(TstFormCommands)
#include "tst_formcommands.moc"
