// The export logic without a window: file names, the cached steps, and the animated GIF
// written whole, cancelled or refused.
#include "export/animationexport.h"
#include "export/exportimage.h"
#include "gif/gifencoder.h"
#include "shell/messages.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

namespace {

// Bands of a few colours that move with the step, or a gradient of thousands of colours.
QImage stepPicture(int step, bool manyColours = false)
{
    QImage image(88, 62, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, manyColours ? qRgb(x * 2, y * 4, (x + y + step) & 0xff)
                                             : qRgb(((x + step * 7) / 10 % 4) * 60, y / 16 * 50, step * 30));
    return image;
}

double meanError(const QImage &a, const QImage &b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            sum += qAbs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
    return sum / (a.width() * a.height());
}

} // namespace

class TstExportLogic : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &bytes)
    {
        QFile f(m_dir.filePath(name));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() ? f.fileName() : QString();
    }

    // The job run to its end; cancelled once `cancelAt` files are taken (0: right after start).
    static ExportResult runExport(const QStringList &frames, const QString &target, int cancelAt = -1)
    {
        AnimationExport job(frames, target);
        QSignalSpy done(&job, &AnimationExport::finished);
        connect(&job, &AnimationExport::progress, &job, [&job, cancelAt](int n) {
            if (n == cancelAt)
                job.cancel();
        });
        job.start();
        if (cancelAt == 0)
            job.cancel();
        if (done.isEmpty() && !done.wait(20000))
            return {};
        return done.first().first().value<ExportResult>();
    }

private Q_SLOTS:
    void initTestCase()
    {
        Messages::loadBuiltIn();
        QVERIFY(m_dir.isValid());
    }
    void cleanup()
    {
        for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(name));
    }

    void fileNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const QDateTime evening(QDate(2026, 12, 6), QTime(19, 30), QTimeZone::utc());
        // At 19:30 UTC the servers hold the 12h run; at 03:00 the 18h run of the day before.
        QTest::newRow("image") << forecastImageName(QStringLiteral("temp"), evening, 3) << "temp-2026120612-+18h.png";
        QTest::newRow("run of the day before, in another zone")
            << forecastImageName(QStringLiteral("vent"), QDateTime(QDate(2027, 1, 1), QTime(3, 0), QTimeZone::utc()).toTimeZone(QTimeZone("Asia/Tokyo")), 0)
            << "vent-2026123118-+0h.png";
        QTest::newRow("animation") << animationName(QStringLiteral("nebu"), evening) << "nebu-2026120612.gif";
        QTest::newRow("archive") << archiveImageName(ArchiveLevel::P850, QDate(1976, 7, 4)) << "p850-19760704.png";
    }
    void fileNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(name, expected);
    }

    void cachedStepsInOrder()
    {
        for (const char *name : {"temp10.png", "temp3.png", "temp0.png", "temp1.png", "temp07.png", "temp2.png.Ab12Cd",
                                 "temp.png", "prec2.png", "temp4.gif"})
            QVERIFY(!write(QLatin1String(name), "x").isEmpty());
        QCOMPARE(cachedSteps(m_dir.path(), *kindByKey(QStringLiteral("temp"))), (QList<int>{0, 1, 3, 10}));
    }

    // Each frame is its map (exactly with at most 256 colours), in the order given, two a
    // second, looping; a file that does not decode is left out.
    void animation_data()
    {
        QTest::addColumn<QList<int>>("steps");  // -1: a file that is no picture
        QTest::addColumn<bool>("manyColours");
        QTest::newRow("three steps") << QList<int>{0, 1, 2} << false;
        QTest::newRow("a broken map in the middle") << QList<int>{0, -1, 3} << false;
        QTest::newRow("more than 256 colours") << QList<int>{0, 1} << true;
    }
    void animation()
    {
        QFETCH(QList<int>, steps);
        QFETCH(bool, manyColours);
        QStringList frames;
        QList<QImage> expected;
        for (int step : steps) {
            const QImage picture = stepPicture(step, manyColours);
            // Cached maps are GIFs under a .png name; a picture of many colours comes as PNG.
            QByteArray bytes = step < 0 ? QByteArray("GIF89a cut short") : encodeGif(picture);
            QBuffer buffer(&bytes);
            if (manyColours && buffer.open(QIODevice::WriteOnly))
                picture.save(&buffer, "PNG");
            frames << write(QStringLiteral("temp%1.png").arg(frames.size()), bytes);
            if (step >= 0)
                expected << picture;
        }
        const QString target = m_dir.filePath(QStringLiteral("out.gif"));
        const ExportResult result = runExport(frames, target);
        QCOMPARE(int(result.outcome), int(ExportOutcome::Written));
        QCOMPARE(result.frames, expected.size());
        QImageReader reader(target);
        QCOMPARE(reader.loopCount(), -1);  // for ever
        for (const QImage &want : expected) {
            const QImage frame = reader.read().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(reader.nextImageDelay(), 500);
            QVERIFY2(manyColours ? meanError(frame, want) < 4.0 : frame == want, qPrintable(QString::number(meanError(frame, want))));
        }
        QVERIFY(!reader.canRead());
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("out.gif*")}, QDir::Files), QStringList{QStringLiteral("out.gif")});
    }

    // Nothing is left under the name nor beside it when the export does not end well.
    void nothingLeft_data()
    {
        QTest::addColumn<int>("maps");
        QTest::addColumn<int>("cancelAt");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("outcome");
        QTest::newRow("cancelled after a frame") << 3 << 2 << QString() << int(ExportOutcome::Cancelled);
        QTest::newRow("cancelled before any frame") << 3 << 0 << QString() << int(ExportOutcome::Cancelled);
        QTest::newRow("no map decodes") << 0 << -1 << QString() << int(ExportOutcome::NothingToWrite);
        QTest::newRow("folder that does not exist") << 2 << -1 << "missing" << int(ExportOutcome::Unwritable);
    }
    void nothingLeft()
    {
        QFETCH(int, maps);
        QFETCH(int, cancelAt);
        QFETCH(QString, folder);
        QFETCH(int, outcome);
        QStringList frames{write(QStringLiteral("temp9.png"), "not a picture")};
        for (int i = 0; i < maps; ++i)
            frames << write(QStringLiteral("temp%1.png").arg(i), encodeGif(stepPicture(i)));
        const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);
        const QString target = QDir(m_dir.filePath(folder)).filePath(QStringLiteral("out.gif"));
        const ExportResult result = runExport(frames, target, cancelAt);
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);
        QVERIFY(!QFileInfo::exists(target));
        if (outcome == int(ExportOutcome::Unwritable))
            QVERIFY(exportStatusText(result).contains(QDir::toNativeSeparators(m_dir.filePath(folder))));
    }
};

QTEST_MAIN(TstExportLogic)
#include "tst_exportlogic.moc"
