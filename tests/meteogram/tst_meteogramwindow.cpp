// The meteogram window: it needs a place, fetches each missing map once and stops when
// closed, reads the step under the pointer, chooses the step clicked, follows the place,
// saves a PNG, and leaves a gap where a step has no value.
#include "tests/support/formharness.h"

#include "core/displaytext.h"
#include "forecast/meteogramtext.h"
#include "viewer/meteogramchart.h"
#include "viewer/meteogramlayout.h"
#include "viewer/meteogramwindow.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

class TstMeteogramWindow : public QObject {
    Q_OBJECT
    FormHarness h;

    static QPushButton *button(const Form1 &form, const char *name) { return FormHarness::ctl<QPushButton>(form, name); }
    static MeteogramWindow *window(const Form1 &form) { return form.findChild<MeteogramWindow *>(QStringLiteral("meteogramWindow")); }

    // Steps 0..last at the first start's place, chosen with "Calculer".
    static MeteogramWindow *open(Form1 &form, int last)
    {
        form.model().setMaxStep(last);
        button(form, "Command3")->click();
        if (!FormHarness::settle(form))
            return nullptr;
        button(form, "meteogramButton")->click();
        return window(form);
    }
    static bool complete(const MeteogramWindow &w) { return w.coming() == 0 && w.series().complete(); }
    struct Opened {
        std::unique_ptr<Form1> form;
        MeteogramWindow *window = nullptr;  // null when it never completed
    };
    // At the first start's place, steps 0..last, every map read.
    Opened openComplete(int last)
    {
        Opened o{h.makeFormAt(4000, 4000)};
        o.window = open(*o.form, last);
        if (o.window && !QTest::qWaitFor([&o] { return complete(*o.window); }, 20000))
            o.window = nullptr;
        return o;
    }
    static int missing(const MeteogramWindow &w)
    {
        int count = 0;
        for (const MeteogramStep &step : w.series().steps())
            count += step.missing;
        return count;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(h.startInFrench()); }
    void init() { h.resetAll(); }

    // Key M opens it only once a place is chosen (the button runs the same command).
    void needsAPlace_data()
    {
        QTest::addColumn<bool>("clickFirst");  // a place chosen on the map first
        QTest::newRow("no place") << false;
        QTest::newRow("after a click on the map") << true;
    }
    void needsAPlace()
    {
        QFETCH(bool, clickFirst);
        auto form = h.makeForm();
        QWidget *map = FormHarness::ctl(*form, "Picture1");
        if (clickFirst)
            QTest::mouseClick(map, Qt::LeftButton, {}, QPoint(300, 200));
        QTest::keyClick(map, Qt::Key_M);
        QCOMPARE(window(*form) && window(*form)->isVisible(), clickFirst);
        QCOMPARE(FormHarness::ctl<QLabel>(*form, "Label3")->text() == msg(Msg::MeteogramNoPlace), !clickFirst);
        QVERIFY(FormHarness::settle(*form));
    }

    // Asked for by the meteogram and "Télécharger tout" at once, every map comes once.
    void fetchesEachMapOnce()
    {
        auto form = h.makeFormAt(4000, 4000);
        MeteogramWindow *w = open(*form, 3);
        QVERIFY(w);
        QCOMPARE(w->coming(), 3 * 6);  // step 0 came at start-up
        button(*form, "Command15")->click();
        QTRY_VERIFY_WITH_TIMEOUT(complete(*w), 20000);
        QVERIFY(FormHarness::settle(*form));
        QStringList requests = h.server.requests();
        QVERIFY(requests.contains(FormHarness::mapPath("vent", 3)));
        QCOMPARE(requests.removeDuplicates(), 0);
        QCOMPARE(missing(*w), 0);
    }

    void closingStopsTheFetch_data()
    {
        QTest::addColumn<bool>("reopen");
        QTest::newRow("closed") << false;
        // While the cancelled transfers wind down: the new fetch must not join them.
        QTest::newRow("opened again at once") << true;
    }
    void closingStopsTheFetch()
    {
        QFETCH(bool, reopen);
        auto form = h.makeFormAt(4000, 4000);
        h.server.setFault(QStringLiteral("*"), Fault{.hang = true});
        MeteogramWindow *w = open(*form, 2);
        QVERIFY(w);
        FetchQueue &queue = form->service().queue();
        QTRY_COMPARE(queue.running(), FetchQueue::MaxParallel);
        w->close();
        QCOMPARE(queue.waiting(), 0);
        h.server.clearFaults();
        if (reopen) {
            button(*form, "meteogramButton")->click();
            QTRY_VERIFY_WITH_TIMEOUT(complete(*w), 20000);
            QCOMPARE(missing(*w), 0);
        } else {
            QTRY_COMPARE(queue.running(), 0);
            QVERIFY(!QFile::exists(h.cachePath(QStringLiteral("temp1.png"))));
        }
    }

    void pointerAndClick_data()
    {
        QTest::addColumn<int>("column");  // 99: right of them all
        QTest::addColumn<int>("step");
        QTest::newRow("middle") << 2 << 2;
        QTest::newRow("right of the last") << 99 << 4;
    }
    void pointerAndClick()
    {
        QFETCH(int, column);
        QFETCH(int, step);
        auto [form, w] = openComplete(4);
        QVERIFY(w);
        MeteogramChart *chart = w->chart();
        const MeteogramLayout layout = meteogramLayout(chart->font(), chart->rect(), 5);
        const double x = column > 4 ? chart->width() - 2 : layout.centre(column);
        const QPointF at(x, layout.temperature.center().y());
        QMouseEvent move(QEvent::MouseMove, at, chart->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(chart, &move);
        const QString readout = meteogramReadout(w->series().steps().at(step), validSlot(QDateTime::currentDateTimeUtc(), step));
        QCOMPARE(w->findChild<QLabel *>(QStringLiteral("meteogramReadout"))->text(), readout);
        QTest::mouseClick(chart, Qt::LeftButton, {}, at.toPoint());
        QCOMPARE(form->model().step(), step);
        QCOMPARE(chart->picture().selected, step);
        QVERIFY(FormHarness::settle(*form));
    }

    // A new place while it is open: read anew for that place.
    void followsThePlace()
    {
        auto [form, w] = openComplete(1);
        QVERIFY(w);
        FormHarness::setPlace(*form, 7000, 3000);
        QCOMPARE(w->series().place().PlaceX, 7000.0f);
        QTRY_VERIFY_WITH_TIMEOUT(complete(*w), 20000);
        QVERIFY(FormHarness::settle(*form));
    }

    void savesPng_data()
    {
        QTest::addColumn<bool>("folderExists");
        QTest::newRow("into a folder") << true;
        QTest::newRow("no such folder") << false;
    }
    void savesPng()
    {
        QFETCH(bool, folderExists);
        auto [form, w] = openComplete(1);
        QVERIFY(w);
        const QString path = h.cachePath(folderExists ? QStringLiteral("m.png") : QStringLiteral("none/m.png"));
        QCOMPARE(w->saveTo(path), folderExists);
        QCOMPARE(QImage(path).size(), folderExists ? w->chart()->size() : QSize(0, 0));
        const Msg note = folderExists ? Msg::MeteogramSaved : Msg::MeteogramSaveFailed;
        QCOMPARE(w->findChild<QLabel *>(QStringLiteral("meteogramNote"))->text(), msg(note).arg(path));
    }

    void gapInTheLines_data()
    {
        QTest::addColumn<int>("gap");  // the step without a temperature; -1 none
        QTest::newRow("step 2 missing") << 2;
        QTest::newRow("every step there") << -1;
    }
    void gapInTheLines()
    {
        QFETCH(int, gap);
        MeteogramPicture picture;
        for (int s = 0; s < 5; ++s) {
            MeteogramStep step{s, true, s == gap ? 6 : 0, {}};
            if (s != gap)
                step.means[std::size_t(PanelRole::Temperature)] = 10;
            picture.steps << step;
            picture.times << QDateTime(QDate(2026, 3, 1), QTime(6 * (s % 4), 0), Qt::UTC).addDays(s / 4);
        }
        QImage image(600, 400, QImage::Format_RGB32);
        QPainter painter(&image);
        paintMeteogram(painter, image.rect(), picture);
        const MeteogramLayout layout = meteogramLayout(painter.font(), image.rect(), 5);
        painter.end();
        bool red = false;
        const int x = int(layout.centre(2));
        for (int y = int(layout.temperature.top()); y < int(layout.temperature.bottom()); ++y) {
            const QColor c = image.pixelColor(x, y);
            red = red || (c.red() > 180 && c.green() < 90 && c.blue() < 90);
        }
        QCOMPARE(red, gap < 0);
    }
};

QTEST_MAIN(TstMeteogramWindow)
#include "tst_meteogramwindow.moc"
