// The viewer's state without a window: what each change does to the rest, and what it
// announces.
#include "core/viewermodel.h"

#include <QSignalSpy>
#include <QTest>

namespace {

struct Counts {
    explicit Counts(const ViewerModel &m) : selection(&m, &ViewerModel::selectionChanged), view(&m, &ViewerModel::viewChanged) {}
    QSignalSpy selection, view;
};

} // namespace

class TstViewerModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void selection_data();
    void selection();
    void zoomAndPan();
    void stepLimits_data();
    void stepLimits();
    void animation_data();
    void animation();
    void loadingHoldsTheAnimation();
    void archiveDayOfYear_data();
    void archiveDayOfYear();
    void impossibleDate_data();
    void impossibleDate();
    void place();
};

// Each change names a different map, or none when the value is already there or out of range.
void TstViewerModel::selection_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<int>("signals");
    QTest::addColumn<QString>("cacheName");
    QTest::newRow("kind 2") << 0 << 1 << "prec0.png";
    QTest::newRow("kind 9 refused") << 1 << 0 << "temp0.png";
    QTest::newRow("kind unchanged") << 2 << 0 << "temp0.png";
    QTest::newRow("step 3") << 3 << 1 << "temp3.png";
    QTest::newRow("archive at 850 hPa, 29 February") << 5 << 3 << "p850a20040229.gif";
}

void TstViewerModel::selection()
{
    QFETCH(int, change);
    QFETCH(int, signals);
    QFETCH(QString, cacheName);
    ViewerModel m;
    Counts counts(m);
    switch (change) {
    case 0: m.setKind(2); break;
    case 1: m.setKind(9); break;
    case 2: m.setKind(1); break;
    case 3: m.setStep(3); break;
    case 5:
        m.setMode(ViewerModel::Mode::Archive);
        m.setArchiveLevel(ArchiveLevel::P850);
        m.setArchiveMonth(2);
        m.setArchiveDay(29);
        counts.selection.removeFirst();
        break;
    }
    QCOMPARE(counts.selection.size(), signals);
    QCOMPARE(selectionCacheName(m.selection()), cacheName);
    QCOMPARE(counts.view.size(), 0);
}

// Zoom doubles and halves within 1..8; every press redraws, also at a limit. Pans add
// a fixed step of the unzoomed map, with no bound.
void TstViewerModel::zoomAndPan()
{
    ViewerModel m;
    Counts counts(m);
    QList<float> zooms;
    for (int i = 0; i < 5; ++i) {
        m.zoomIn();
        zooms << m.zoom();
    }
    QCOMPARE(zooms, (QList<float>{2, 4, 8, 8, 8}));
    for (int i = 0; i < 4; ++i)
        m.zoomOut();
    QCOMPARE(m.zoom(), ViewerModel::MinZoom);
    for (int i = 0; i < 100; ++i)
        m.pan(ViewerModel::PanStep, -ViewerModel::PanStep);
    QCOMPARE(m.offsetX(), ViewerModel::HomeOffsetX + 100 * ViewerModel::PanStep);
    QCOMPARE(m.offsetY(), ViewerModel::HomeOffsetY - 100 * ViewerModel::PanStep);
    QCOMPARE(counts.view.size(), 109);
    QCOMPARE(counts.selection.size(), 0);
}

void TstViewerModel::stepLimits_data()
{
    QTest::addColumn<int>("maxStep");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("wantMax");
    QTest::addColumn<int>("wantStep");
    QTest::newRow("past the maximum") << 30 << 31 << 30 << 30;
    QTest::newRow("negative") << 30 << -1 << 30 << 0;
    QTest::newRow("maximum lowered under the step") << 5 << 12 << 5 << 5;
    QTest::newRow("maximum beyond the run") << 100000 << 100000 << 64 << 64;
    QTest::newRow("maximum 0 is 1") << 0 << 5 << 1 << 1;
}

void TstViewerModel::stepLimits()
{
    QFETCH(int, maxStep);
    QFETCH(int, step);
    QFETCH(int, wantMax);
    QFETCH(int, wantStep);
    ViewerModel m;
    m.setStep(step);
    m.setMaxStep(maxStep);
    m.setStep(step);
    QCOMPARE(m.maxStep(), wantMax);
    QCOMPARE(m.step(), wantStep);
}

// One tick moves one step on, or in archive mode one day on, the year rolling over to the
// next later one and never to the newest.
void TstViewerModel::animation_data()
{
    QTest::addColumn<bool>("archive");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("start");  // step or day of year
    QTest::addColumn<int>("wantYear");
    QTest::addColumn<int>("want");
    QTest::newRow("step 0 to 1") << false << 2004 << 0 << 2004 << 1;
    QTest::newRow("last step back to 0") << false << 2004 << 30 << 2004 << 0;
    QTest::newRow("last day of 1990 to 1991") << true << 1990 << 365 << 1991 << 1;
    QTest::newRow("2004 day 365 to 366") << true << 2004 << 365 << 2004 << 366;
    QTest::newRow("last day of 2004 stays in 2004") << true << 2004 << 366 << 2004 << 1;
}

void TstViewerModel::animation()
{
    QFETCH(bool, archive);
    QFETCH(int, year);
    QFETCH(int, start);
    QFETCH(int, wantYear);
    QFETCH(int, want);
    ViewerModel m;
    m.setArchiveYear(year);
    if (archive)
        m.setMode(ViewerModel::Mode::Archive);
    archive ? m.setArchiveDayOfYear(start) : m.setStep(start);
    m.animationTick();
    QCOMPARE(m.archiveYear(), wantYear);
    QCOMPARE(archive ? m.archiveDayOfYear() : m.step(), want);
    QCOMPARE(archive ? m.step() : m.archiveDayOfYear(), archive ? 0 : 1);  // the other mode's stays
}

// A map on its way holds the animation back; what the user chooses meanwhile is taken.
void TstViewerModel::loadingHoldsTheAnimation()
{
    ViewerModel m;
    QSignalSpy loading(&m, &ViewerModel::loadingChanged);
    m.setLoading(true);
    m.animationTick();
    m.animationTick();
    QCOMPARE(m.step(), 0);
    m.setKind(3);
    m.zoomIn();
    QCOMPARE(m.kind(), 3);
    QCOMPARE(m.zoom(), 2.0f);
    m.setLoading(false);
    m.animationTick();
    QCOMPARE(m.step(), 1);
    QCOMPARE(loading.size(), 2);
}

void TstViewerModel::archiveDayOfYear_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("dayOfMonth");
    QTest::newRow("1990 day 60 is 1 March") << 1990 << 60 << 3 << 1;
    QTest::newRow("2004 day 60 is 29 February") << 2004 << 60 << 2 << 29;
    QTest::newRow("day 0 is day 1") << 1990 << 0 << 1 << 1;
    QTest::newRow("day 400 is the last day") << 1990 << 400 << 12 << 31;
    QTest::newRow("2004 day 366 is 31 December") << 2004 << 366 << 12 << 31;
}

void TstViewerModel::archiveDayOfYear()
{
    QFETCH(int, year);
    QFETCH(int, day);
    QFETCH(int, month);
    QFETCH(int, dayOfMonth);
    ViewerModel m;
    m.setArchiveYear(year);
    QSignalSpy changed(&m, &ViewerModel::archiveDateChanged);
    m.setArchiveDayOfYear(day);
    QCOMPARE(changed.size(), qBound(1, day, 365) == 1 ? 0 : 1);  // one redraw for the month and day together
    QCOMPARE(m.archiveMonth(), month);
    QCOMPARE(m.archiveDay(), dayOfMonth);
}

void TstViewerModel::impossibleDate_data()
{
    QTest::addColumn<QList<int>>("ymd");
    QTest::newRow("31 February") << QList<int>{2004, 2, 31};
    QTest::newRow("29 February 2003") << QList<int>{2003, 2, 29};
    QTest::newRow("day 0") << QList<int>{2004, 3, 0};
    QTest::newRow("year 0") << QList<int>{0, 1, 1};
}

// Refused by name, and the day shown stays: nothing to fetch.
void TstViewerModel::impossibleDate()
{
    QFETCH(QList<int>, ymd);
    ViewerModel m;
    m.setArchiveDate(1990, 3, 2);
    Counts counts(m);
    QSignalSpy refused(&m, &ViewerModel::archiveDateRefused);
    QVERIFY(!m.setArchiveDate(ymd[0], ymd[1], ymd[2]));
    QCOMPARE(refused.size(), 1);
    QCOMPARE(refused.first(), (QVariantList{ymd[0], ymd[1], ymd[2]}));
    QCOMPARE(m.archiveDate(), QDate(1990, 3, 2));
    QCOMPARE(counts.selection.size(), 0);
}

// The place is kept in both frames; the wind and storm maps show the second.
void TstViewerModel::place()
{
    ViewerModel m;
    QSignalSpy placed(&m, &ViewerModel::placeChanged);
    m.setPlace(100, 200, 300, 400);
    QCOMPARE(placed.size(), 1);
    const struct { int kind; QPointF want; } rows[] = {
        {1, {100, 200}}, {4, {100, 200}}, {5, {300, 400}}, {6, {100, 200}}, {7, {300, 400}},
    };
    for (const auto &row : rows) {
        m.setKind(row.kind);
        QCOMPARE(m.placeOnMap(), row.want);
    }
}

QTEST_GUILESS_MAIN(TstViewerModel)
#include "tst_viewermodel.moc"
