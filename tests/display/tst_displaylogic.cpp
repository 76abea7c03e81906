// The pure side of the map display: dates, captions and the guard against oversized
// pictures.
#include "shell/imageloader.h"
#include "shell/messages.h"
#include "viewer/displaytext.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray le16(int v) { return QByteArray(1, char(v & 0xFF)) + char(v >> 8); }

// A GIF whose header declares width x height and whose data is one tiny block.
QByteArray gifDeclaring(int width, int height)
{
    QByteArray gif("GIF89a");
    gif += le16(width) + le16(height) + QByteArray("\x80\x00\x00", 3);  // 2-entry colour table
    gif += QByteArray("\x00\x00\x00\xff\xff\xff", 6);
    gif += QByteArray(",") + le16(0) + le16(0) + le16(width) + le16(height) + QByteArray(1, '\0');
    gif += QByteArray("\x02\x02\x44\x01\x00;", 6);
    return gif;
}

QString systemLongDate(const QDate &date) { return QLocale::system().toString(date, QLocale::LongFormat); }

QDateTime at(const QDate &date, int hour, int minute = 0) { return QDateTime(date, QTime(hour, minute)); }

} // namespace

class TstDisplayLogic : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        Messages::set(76, QStringLiteral("Run du"));
        Messages::set(72, QStringLiteral("h TU"));
        Messages::set(56, QStringLiteral("Archive du"));
    }

    // The archive date lists may hold any numbers: the caption shows the date they roll to.
    void rolledDate_data()
    {
        QTest::addColumn<QList<int>>("ymd");
        QTest::addColumn<QDate>("date");
        QTest::newRow("31 February, leap year") << QList<int>{2004, 2, 31} << QDate(2004, 3, 2);
        QTest::newRow("month 13") << QList<int>{2004, 13, 1} << QDate(2005, 1, 1);
        QTest::newRow("day 0") << QList<int>{2004, 3, 0} << QDate(2004, 2, 29);
        QTest::newRow("year 0") << QList<int>{0, 1, 1} << QDate();
        QTest::newRow("absurd day") << QList<int>{2004, 1, -2147483647 - 1} << QDate();
    }

    void rolledDate()
    {
        QFETCH(QList<int>, ymd);
        QFETCH(QDate, date);
        const QDate rolled = rollDate(ymd[0], ymd[1], ymd[2]);
        QCOMPARE(rolled, date);
        QCOMPARE(archiveCaption(rolled), QStringLiteral("Archive du ") + systemLongDate(date));
    }

    // The step captions and the run caption, from the clock at "now".
    void clockTexts_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QDateTime>("stepSlot");
        QTest::addColumn<QDateTime>("runSlot");

        const QDate feb28(2024, 2, 28), feb29(2024, 2, 29), mar1(2024, 3, 1);
        QTest::newRow("step 0 at 06:00") << at(mar1, 6) << 0 << "0h" << at(mar1, 6) << at(mar1, 0);
        QTest::newRow("run of yesterday") << at(mar1, 0, 10) << 0 << "0h" << at(mar1, 0) << at(feb29, 18);
        QTest::newRow("step 1 crosses midnight") << at(feb28, 23, 30) << 1 << "6h" << at(feb29, 0) << at(feb28, 12);
        QTest::newRow("largest step") << at(feb28, 23, 30) << 5461 << "32766h" << at(QDate(2027, 11, 25), 0) << at(feb28, 12);
    }

    void clockTexts()
    {
        QFETCH(QDateTime, now);
        QFETCH(int, step);
        QFETCH(QString, hours);
        QFETCH(QDateTime, stepSlot);
        QFETCH(QDateTime, runSlot);
        QCOMPARE(stepHoursText(step), hours);
        QCOMPARE(stepFrameTitle(step), QStringLiteral("Situation à +") + hours);
        QCOMPARE(stepDateText(now, step), QStringLiteral("%1  à %2h").arg(systemLongDate(stepSlot.date())).arg(stepSlot.time().hour()));
        QCOMPARE(runCaption(now), QStringLiteral("Run du %1 %2h TU").arg(systemLongDate(runSlot.date())).arg(runSlot.time().hour()));
    }

    // Pictures declaring more pixels than a map could need are refused before any allocation.
    void undecodablePicture_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("GIF declaring 65535 x 65535") << gifDeclaring(65535, 65535);
        QTest::newRow("GIF within sides, too many pixels") << gifDeclaring(8000, 8000);
    }

    void undecodablePicture()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("temp0.png"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        f.close();
        const LoadedPicture loaded = LoadPictureFile(path);
        QCOMPARE(loaded.error, 0);
        QVERIFY(loaded.picture.isNull());
    }
};

QTEST_MAIN(TstDisplayLogic)
#include "tst_displaylogic.moc"
