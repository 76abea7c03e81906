// The window under the user's hands, driven by real events: resizing, the wheel, a drag,
// the pan bounds, the fitted and start views, the keys and the value box at the edges.
#include "tests/support/formharness.h"
#include "viewer/picturebox.h"

#include "forecast/readout.h"
#include "shell/imageloader.h"

#include <QtWidgets>
#include <cmath>

namespace {

qint32 bgr(QRgb c) { return qint32(qRed(c) | qGreen(c) << 8 | qBlue(c) << 16); }

// The map point (unzoomed twips) under a pixel of the map area.
QPointF mapPointAt(const ViewerModel &m, QPointF pixel)
{
    return QPointF(std::floor((pixel.x() * 15 - m.offsetX() * m.zoom()) / m.zoom()),
                   std::floor((pixel.y() * 15 - m.offsetY() * m.zoom()) / m.zoom()));
}

// Columns of the area that show some map (the map is never all black on a column).
int mapColumns(const QImage &canvas)
{
    int columns = 0;
    for (int x = 0; x < canvas.width(); ++x) {
        for (int y = 0; y < canvas.height(); y += 4) {
            if ((canvas.pixel(x, y) & 0xFFFFFF) != 0) {
                ++columns;
                break;
            }
        }
    }
    return columns;
}

} // namespace

class TstWindowInput : public QObject {
    Q_OBJECT
    FormHarness h;

    std::unique_ptr<Form1> shownForm()
    {
        auto form = h.makeForm();
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            qFatal("the window never showed");
        return form;
    }
    static PictureBox *map(const Form1 &form) { return FormHarness::ctl<PictureBox>(form, "Picture1"); }

private Q_SLOTS:
    void initTestCase() { QVERIFY(h.start()); }
    void init() { h.resetSettings(); }

    // The map area takes the extra room; everything else keeps its size, and more of the
    // map shows at the same scale. 828 x 623 is the least.
    void resizing()
    {
        auto form = shownForm();
        QCOMPARE(form->minimumSize(), QSize(828, 623));
        QMap<QString, QSize> sizes;
        for (const char *name : {"Frame1", "Frame2", "Picture5", "Command15", "Option8", "Command14"})
            sizes[QLatin1String(name)] = FormHarness::ctl(*form, name)->size();
        const int before = mapColumns(map(*form)->canvas());

        form->resize(1200, 800);
        QTRY_COMPARE(map(*form)->size(), QSize(544 + 372, 400 + 177));
        for (auto it = sizes.cbegin(); it != sizes.cend(); ++it)
            QCOMPARE(FormHarness::ctl(*form, qPrintable(it.key()))->size(), it.value());
        QCOMPARE(form->model().zoom(), 1.0f);
        QVERIFY(mapColumns(map(*form)->canvas()) > before);
        // The legend stays beside the map, the place frame in the right column.
        QVERIFY(FormHarness::ctl(*form, "Picture5")->x() > map(*form)->geometry().right());
        QVERIFY(FormHarness::ctl(*form, "Frame1")->geometry().right() < 1200);

        form->resize(500, 400);
        QCOMPARE(form->size(), QSize(828, 623));
    }

    // Size, place and maximised state come back at the next start.
    void geometryRestored()
    {
        auto form = shownForm();
        form->resize(1000, 700);
        QVERIFY(form->close());
        form = shownForm();
        QCOMPARE(form->size(), QSize(1000, 700));
    }

    // In the room a larger window adds, the box reads the map's own pixels.
    void readoutInTheGrownArea()
    {
        auto form = shownForm();
        form->resize(1200, 800);
        QTRY_COMPARE(map(*form)->width(), 916);
        const QPoint at(600, 380);  // beyond the default area's right edge
        FormHarness::hover(*form, at.x() * 15.0f, at.y() * 15.0f);

        const QImage picture = LoadPictureFile(h.cachePath(form->shownMapName())).picture;
        const QPoint origin(int(std::ceil(form->model().offsetX() / 15.0)), int(std::ceil(form->model().offsetY() / 15.0)));
        QList<qint32> colours;
        for (int dx = -2; dx <= 2; ++dx) {
            for (int dy = -2; dy <= 2; ++dy)
                colours << bgr(picture.pixel(at - origin + QPoint(dx, dy)));
        }
        const QString want = readoutText(readoutRule(false, false, 1), std::span<const qint32>(colours.data(), colours.size()));
        QCOMPARE(FormHarness::ctl<QLabel>(*form, "Label34")->text(), want);
    }

    void wheel_data()
    {
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<QList<int>>("angles");
        QTest::addColumn<float>("zoom");
        QTest::newRow("one notch in at a corner") << QPoint(20, 30) << QList<int>{120} << 2.0f;
        QTest::newRow("three notches in, one out") << QPoint(300, 200) << QList<int>{360, -120} << 4.0f;
        QTest::newRow("half notches add up") << QPoint(500, 380) << QList<int>{60, 60} << 2.0f;
    }

    // The map point under the pointer stays under it, at every zoom.
    void wheel()
    {
        QFETCH(QPoint, pixel);
        QFETCH(QList<int>, angles);
        QFETCH(float, zoom);
        auto form = shownForm();
        const QPointF before = mapPointAt(form->model(), pixel);
        for (int angle : angles)
            FormHarness::wheel(*form, pixel, angle);
        QCOMPARE(form->model().zoom(), zoom);
        QVERIFY((mapPointAt(form->model(), pixel) - before).manhattanLength() <= 2 * 15 / zoom);
        QCOMPARE(FormHarness::ctl<QLabel>(*form, "zoomLabel")->text(), QStringLiteral("×%1").arg(zoom));
        // A click there still chooses that point.
        QTest::mouseClick(map(*form), Qt::LeftButton, {}, pixel);
        QCOMPARE(FormHarness::ctl<QLabel>(*form, "Label4")->text(), QStringLiteral("%1 %2").arg(before.x()).arg(before.y()));
    }

    // A drag moves the map with the hand and chooses no place; a click still does.
    void dragPans()
    {
        auto form = shownForm();
        QLabel *place = FormHarness::ctl<QLabel>(*form, "Label4");
        const QString chosen = place->text();
        const QPointF offset(form->model().offsetX(), form->model().offsetY());
        QTest::mousePress(map(*form), Qt::LeftButton, {}, QPoint(200, 200));
        for (int i = 1; i <= 10; ++i)
            QTest::mouseMove(map(*form), QPoint(200 + 3 * i, 200 + 2 * i));
        QTest::mouseRelease(map(*form), Qt::LeftButton, {}, QPoint(230, 220));
        QCOMPARE(place->text(), chosen);
        QCOMPARE(QPointF(form->model().offsetX(), form->model().offsetY()) - offset, QPointF(30 * 15, 20 * 15));

        QTest::mouseClick(map(*form), Qt::LeftButton, {}, QPoint(230, 220));
        QVERIFY(place->text() != chosen);
    }

    void panBounds_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("zoomed");
        for (const char *b : {"Command6", "Command7", "Command8", "Command9"}) {
            QTest::addRow("%s at x1", b) << b << false;
            QTest::addRow("%s at x8", b) << b << true;
        }
    }

    // However often a direction is pressed, half of the area still shows map (give or take
    // the picture's black border pixel).
    void panBounds()
    {
        QFETCH(QString, button);
        QFETCH(bool, zoomed);
        auto form = shownForm();
        if (zoomed)
            form->model().zoomAt(3, QPointF(272, 200));
        for (int i = 0; i < 30; ++i)
            FormHarness::ctl<QPushButton>(*form, qPrintable(button))->click();
        const QImage canvas = map(*form)->canvas();
        const int border = zoomed ? 8 : 1;
        QVERIFY2(mapColumns(canvas) >= canvas.width() / 2 - border, qPrintable(QString::number(mapColumns(canvas))));
        int rows = 0;
        for (int y = 0; y < canvas.height(); ++y)
            rows += mapColumns(canvas.copy(0, y, canvas.width(), 1)) > 0;
        QVERIFY2(rows >= canvas.height() / 2 - border, qPrintable(QString::number(rows)));
    }

    // "Vue entière" shows the whole picture, "Vue initiale" and Home the start view.
    void fitAndHome()
    {
        auto form = shownForm();
        FormHarness::ctl<QPushButton>(*form, "Command4")->click();  // zoom in
        QCOMPARE(form->model().zoom(), 2.0f);
        FormHarness::ctl<QPushButton>(*form, "fitViewButton")->click();
        const ViewerModel &m = form->model();
        const QSize picture = LoadPictureFile(h.cachePath(form->shownMapName())).picture.size();
        QVERIFY(m.zoom() < 1.0f);
        const QRectF shown(m.offsetX() * m.zoom() / 15, m.offsetY() * m.zoom() / 15, picture.width() * m.zoom(), picture.height() * m.zoom());
        QVERIFY(QRectF(map(*form)->rect()).adjusted(-1, -1, 1, 1).contains(shown));
        QVERIFY(FormHarness::ctl<QLabel>(*form, "zoomLabel")->text().endsWith(u'%'));

        QTest::keyClick(map(*form), Qt::Key_Home);
        QCOMPARE(m.zoom(), 1.0f);
        QCOMPARE(QPointF(m.offsetX(), m.offsetY()), QPointF(ViewerModel::HomeOffsetX, ViewerModel::HomeOffsetY));
        FormHarness::ctl<QPushButton>(*form, "fitViewButton")->click();
        FormHarness::ctl<QPushButton>(*form, "homeViewButton")->click();
        QCOMPARE(m.zoom(), 1.0f);
    }

    void keys_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("effect");
        const int ctrl = Qt::ControlModifier;
        QTest::newRow("→ on the map: next step") << "Picture1" << int(Qt::Key_Right) << 0 << "step 1";
        QTest::newRow("→ on a button: next step") << "Command4" << int(Qt::Key_Right) << 0 << "step 1";
        QTest::newRow("→ in the spin box: its own") << "Text1" << int(Qt::Key_Right) << 0 << "step 0";
        QTest::newRow("+ zooms in") << "Picture1" << int(Qt::Key_Plus) << 0 << "zoom 2";
        QTest::newRow("Ctrl+← pans like <") << "Picture1" << int(Qt::Key_Left) << ctrl << "offset 1000";
        QTest::newRow("Ctrl+→ pans like >") << "Command3" << int(Qt::Key_Right) << ctrl << "offset -1000";
        QTest::newRow("Space animates") << "Picture1" << int(Qt::Key_Space) << 0 << "animating";
        QTest::newRow("Ctrl+C copies the address") << "Picture1" << int(Qt::Key_C) << ctrl << "copied";
    }

    void keys()
    {
        QFETCH(QString, target);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, effect);
        auto form = shownForm();
        QGuiApplication::clipboard()->clear();
        const float x0 = form->model().offsetX();
        QTest::keyClick(FormHarness::ctl(*form, qPrintable(target)), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        const ViewerModel &m = form->model();
        const QString got = effect.startsWith(QLatin1String("step")) ? QStringLiteral("step %1").arg(m.step())
            : effect.startsWith(QLatin1String("zoom"))               ? QStringLiteral("zoom %1").arg(m.zoom())
            : effect.startsWith(QLatin1String("offset"))             ? QStringLiteral("offset %1").arg(m.offsetX() - x0)
            : effect == QLatin1String("animating")                   ? QString::fromLatin1(m.animating() ? "animating" : "still")
            : QString::fromLatin1(QGuiApplication::clipboard()->text().endsWith(QLatin1String("Rtavn065.gif")) ? "copied" : "not copied");
        QCOMPARE(got, effect);
    }

    // In archive mode the arrows move the day; F1 opens the help.
    void archiveKeysAndHelp()
    {
        auto form = shownForm();
        form->model().setMode(ViewerModel::Mode::Archive);
        QTest::keyClick(map(*form), Qt::Key_Right);
        QCOMPARE(form->model().archiveDayOfYear(), 2);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QTest::keyClick(map(*form), Qt::Key_F1);
        QTRY_VERIFY(FormHarness::helpWindow() && FormHarness::helpWindow()->isVisible());
        FormHarness::helpWindow()->hide();
    }

    // Each control with a key names it.
    void toolTipsNameKeys()
    {
        auto form = shownForm();
        const std::pair<const char *, const char *> tips[] = {
            {"Command4", "+"}, {"Command5", "−"}, {"Command6", "Ctrl+↑"}, {"Command7", "Ctrl+↓"},
            {"Command8", "Ctrl+←"}, {"Command9", "Ctrl+→"}, {"Command11", "Ctrl+C"}, {"Command14", "F1"},
            {"Check1", "Espace"}, {"stopButton", "Échap"}, {"HScroll1", "←"},
        };
        for (const auto &[name, key] : tips)
            QVERIFY2(FormHarness::ctl(*form, name)->toolTip().contains(QString::fromUtf8(key)), name);
    }

    void valueBoxAtEdges_data()
    {
        QTest::addColumn<QPoint>("pointer");
        QTest::newRow("middle") << QPoint(200, 150);
        QTest::newRow("bottom right corner") << QPoint(542, 398);
        QTest::newRow("top left corner") << QPoint(1, 1);
    }

    // Never cut off by the area's edges, never under the pointer; gone when the pointer leaves.
    void valueBoxAtEdges()
    {
        QFETCH(QPoint, pointer);
        auto form = shownForm();
        QLabel *box = FormHarness::ctl<QLabel>(*form, "Label34");
        FormHarness::hover(*form, pointer.x() * 15.0f, pointer.y() * 15.0f);
        QVERIFY(box->isVisible());
        QVERIFY(map(*form)->rect().contains(box->geometry()));
        QVERIFY(!box->geometry().contains(pointer));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(map(*form), &leave);
        QVERIFY(box->isHidden());
    }
};

QTEST_MAIN(TstWindowInput)
#include "tst_windowinput.moc"
