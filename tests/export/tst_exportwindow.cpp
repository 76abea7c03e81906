// The export commands of a real window: the PNG holds the map area exactly as drawn, the
// legend strip and a caption band; the animation goes through its progress dialog.
#include "tests/support/formharness.h"
#include "viewer/picturebox.h"

#include <QtWidgets>

class TstExportWindow : public QObject {
    Q_OBJECT
    FormHarness h;
    QTemporaryDir m_out;

    // The save dialog the command opened, answered with a file of the output folder.
    QString answerSaveDialog(Form1 &form, const QString &name)
    {
        QFileDialog *dialog = nullptr;
        if (!QTest::qWaitFor([&] { return (dialog = form.findChild<QFileDialog *>()) && dialog->isVisible(); }, 5000))
            return {};
        const QString path = m_out.filePath(name);
        dialog->selectFile(path);
        static_cast<QDialog *>(dialog)->accept();
        return path;
    }

    static QString status(const Form1 &form)
    {
        return FormHarness::ctl<QLabel>(form, form.model().archive() ? "Label33" : "Label3")->text();
    }

    static void click(const Form1 &form, const char *button) { FormHarness::ctl<QPushButton>(form, button)->click(); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(h.start());
        QVERIFY(m_out.isValid());
    }
    void init() { h.resetAll(); }

    void image_data()
    {
        QTest::addColumn<int>("zoomSteps");
        QTest::addColumn<QPointF>("pan");  // twips of the unzoomed map
        QTest::addColumn<QSize>("grow");   // pixels added to the window
        QTest::addColumn<bool>("archive");
        QTest::newRow("zoomed and panned") << 2 << QPointF(-1500, 800) << QSize(0, 0) << false;
        QTest::newRow("grown window") << 0 << QPointF() << QSize(300, 200) << false;
        QTest::newRow("archive, zoomed") << 1 << QPointF(600, 0) << QSize(0, 0) << true;
    }
    void image()
    {
        QFETCH(int, zoomSteps);
        QFETCH(QPointF, pan);
        QFETCH(QSize, grow);
        QFETCH(bool, archive);
        auto form = h.makeForm();
        ViewerModel &model = form->model();
        if (archive)
            model.setMode(ViewerModel::Mode::Archive);
        auto *map = FormHarness::ctl<PictureBox>(*form, "Picture1");
        const QSize designed = map->size();
        form->resize(form->size() + grow);
        QTRY_COMPARE(map->size(), designed + grow);
        for (int i = 0; i < zoomSteps; ++i)
            model.zoomIn();
        model.pan(float(pan.x()), float(pan.y()));
        QVERIFY(FormHarness::settle(*form));

        click(*form, "exportImageButton");
        const QString path = answerSaveDialog(*form, QStringLiteral("map%1.png").arg(QTest::currentDataTag()));
        QVERIFY(!path.isEmpty());
        const QImage png(path);
        const QImage canvas = map->canvas().convertToFormat(QImage::Format_RGB32);
        const QImage legend = FormHarness::ctl<PictureBox>(*form, "Picture5")->canvas().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(canvas.size(), designed + grow);
        QCOMPARE(png.copy(canvas.rect()).convertToFormat(QImage::Format_RGB32), canvas);
        QCOMPARE(png.copy(legend.rect().translated(canvas.width(), 0)).convertToFormat(QImage::Format_RGB32), legend);
        QCOMPARE(png.width(), canvas.width() + legend.width());
        if (legend.height() < canvas.height())  // black under the legend strip
            QCOMPARE(png.pixel(canvas.width(), canvas.height() - 1), qRgb(0, 0, 0));
        QVERIFY(png.height() > qMax(canvas.height(), legend.height()) + 30);  // the caption band
        QCOMPARE(status(*form), msg(Msg::ExportImageSaved).arg(QDir::toNativeSeparators(path)));
        QCOMPARE(SavedSettings::readText(QStringLiteral("exportdir")), m_out.path());
    }

    // No file and no dialog while the map could not be had.
    void imageWithoutMap()
    {
        h.server.setFault(QStringLiteral("*Rtavn125.gif"), Fault{.status = 404});
        auto form = h.makeForm();
        form->model().setStep(1);
        QVERIFY(FormHarness::settle(*form));
        QVERIFY(FormHarness::ctl<QLabel>(*form, "Label36")->isVisible());
        click(*form, "exportImageButton");
        QCOMPARE(status(*form), msg(Msg::ExportNoMap));
        QVERIFY(!form->findChild<QFileDialog *>());
    }

    void animation_data()
    {
        QTest::addColumn<QList<int>>("cached");  // steps of "temp" in the cache
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<bool>("archive");
        QTest::addColumn<int>("outcome");       // the status message
        QTest::newRow("steps 0 to 2 and 5") << QList<int>{0, 1, 2, 5} << false << false << int(Msg::ExportAnimationSaved);
        QTest::newRow("cancelled") << QList<int>{0, 1, 2} << true << false << int(Msg::ExportCancelled);
        QTest::newRow("no step cached") << QList<int>{} << false << false << int(Msg::ExportNoSteps);
        QTest::newRow("archive mode") << QList<int>{0, 1} << false << true << int(Msg::ExportCurrentRunOnly);
    }
    void animation()
    {
        QFETCH(QList<int>, cached);
        QFETCH(bool, cancel);
        QFETCH(bool, archive);
        QFETCH(int, outcome);
        auto form = h.makeForm();
        QFile::remove(h.cachePath(QStringLiteral("temp0.png")));
        for (int step : cached)
            QVERIFY(h.cacheMap(*kindByKey(QStringLiteral("temp")), step));
        if (archive) {
            form->model().setMode(ViewerModel::Mode::Archive);
            QVERIFY(FormHarness::settle(*form));
        }
        click(*form, "exportAnimationButton");
        const QString expected = msg(Msg(outcome));
        if (outcome != int(Msg::ExportAnimationSaved) && !cancel) {
            QCOMPARE(status(*form), expected);
            QVERIFY(!form->findChild<QFileDialog *>());
            return;
        }
        const QString path = answerSaveDialog(*form, QStringLiteral("anim%1.gif").arg(QTest::currentDataTag()));
        QVERIFY(!path.isEmpty());
        auto *progress = form->findChild<QProgressDialog *>();
        QVERIFY(progress && progress->isVisible() && !progress->isModal());
        if (cancel)
            QTest::mouseClick(progress->findChild<QPushButton *>(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!form->findChild<QProgressDialog *>(), 20000);
        const QString name = QFileInfo(path).fileName();
        QCOMPARE(QDir(m_out.path()).entryList({name + u'*'}, QDir::Files), cancel ? QStringList() : QStringList{name});
        if (cancel) {
            QCOMPARE(status(*form), expected);
            return;
        }
        // The frames themselves are checked without a window.
        QCOMPARE(status(*form), expected.arg(cached.size()).arg(QDir::toNativeSeparators(path)));
        QCOMPARE(QImageReader(path).imageCount(), cached.size());
    }
};

QTEST_MAIN(TstExportWindow)
#include "tst_exportwindow.moc"
