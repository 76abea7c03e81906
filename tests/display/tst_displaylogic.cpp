// The pure side of the map display: which map the options select, dates and captions,
// and picture loading.
#include "mapserver/demoserver.h"
#include "retrieval/addresscopy.h"
#include "shell/imageloader.h"
#include "shell/messages.h"
#include "viewer/displaytext.h"
#include "viewer/mapdisplay.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

QByteArray le16(int v)
{
    QByteArray b(2, '\0');
    qToLittleEndian<quint16>(quint16(v), b.data());
    return b;
}

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

} // namespace

class TstDisplayLogic : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void kindOrder_data();
    void kindOrder();
    void rolledDate_data();
    void rolledDate();
    void stepTexts_data();
    void stepTexts();
    void runCaptionSlot_data();
    void runCaptionSlot();
    void loadPicture_data();
    void loadPicture();
};

void TstDisplayLogic::kindOrder_data()
{
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QString>("key");
    QTest::newRow("none: storm") << QStringList{} << "orag";
    QTest::newRow("Option3 before Option2") << QStringList{"Option2", "Option3"} << "prec";
    QTest::newRow("Option2 before Option4") << QStringList{"Option4", "Option2"} << "nebu";
    QTest::newRow("Option6 before Option7") << QStringList{"Option7", "Option6"} << "p500";
    QTest::newRow("wind") << QStringList{"Option7", "Option5"} << "vent";
}

void TstDisplayLogic::kindOrder()
{
    QFETCH(QStringList, selected);
    QFETCH(QString, key);
    const MapKind &kind = selectedKind([&](const char *name) { return selected.contains(QLatin1String(name)); });
    QCOMPARE(QLatin1String(kind.key), key);
}

void TstDisplayLogic::rolledDate_data()
{
    QTest::addColumn<QList<int>>("ymd");
    QTest::addColumn<QDate>("date");
    QTest::newRow("31 February, leap year") << QList<int>{2004, 2, 31} << QDate(2004, 3, 2);
    QTest::newRow("month 13") << QList<int>{2004, 13, 1} << QDate(2005, 1, 1);
    QTest::newRow("day 0") << QList<int>{2004, 3, 0} << QDate(2004, 2, 29);
    QTest::newRow("day of year 365") << QList<int>{2005, 1, 365} << QDate(2005, 12, 31);
    QTest::newRow("year 0") << QList<int>{0, 1, 1} << QDate();
    QTest::newRow("absurd day") << QList<int>{2004, 1, -2147483647 - 1} << QDate();
}

void TstDisplayLogic::rolledDate()
{
    QFETCH(QList<int>, ymd);
    QFETCH(QDate, date);
    QCOMPARE(rollDate(ymd[0], ymd[1], ymd[2]), date);
}

void TstDisplayLogic::stepTexts_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("hours");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("slot");

    const QDateTime evening(QDate(2024, 2, 28), QTime(23, 30));
    QTest::newRow("step 0") << evening << 0 << "0h" << QDate(2024, 2, 28) << "18h";
    QTest::newRow("step 1 crosses midnight") << evening << 1 << "6h" << QDate(2024, 2, 29) << "0h";
    QTest::newRow("largest step") << evening << 5461 << "32766h" << QDate(2027, 11, 25) << "0h";
}

void TstDisplayLogic::stepTexts()
{
    QFETCH(QDateTime, now);
    QFETCH(int, step);
    QFETCH(QString, hours);
    QFETCH(QDate, date);
    QFETCH(QString, slot);
    QCOMPARE(stepHoursText(step), hours);
    QCOMPARE(stepFrameTitle(step), QStringLiteral("Situation à +") + hours);
    QCOMPARE(stepDateText(now, step),
             QLocale::system().toString(date, QLocale::LongFormat) + QStringLiteral("  à ") + slot);
}

void TstDisplayLogic::runCaptionSlot_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QDate>("runDate");
    QTest::addColumn<int>("runHour");
    QTest::newRow("just after midnight: yesterday 18h") << QDateTime(QDate(2024, 3, 1), QTime(0, 10)) << QDate(2024, 2, 29) << 18;
    QTest::newRow("06:00: today 0h") << QDateTime(QDate(2024, 3, 1), QTime(6, 0)) << QDate(2024, 3, 1) << 0;
    QTest::newRow("17:00: today 6h") << QDateTime(QDate(2024, 3, 1), QTime(17, 0)) << QDate(2024, 3, 1) << 6;
}

void TstDisplayLogic::runCaptionSlot()
{
    QFETCH(QDateTime, now);
    QFETCH(QDate, runDate);
    QFETCH(int, runHour);
    Messages::set(76, QStringLiteral("Run du"));
    Messages::set(72, QStringLiteral("h TU"));
    Messages::set(56, QStringLiteral("Archive du"));
    const QString day = QLocale::system().toString(runDate, QLocale::LongFormat);
    QCOMPARE(runCaption(now), QStringLiteral("Run du %1 %2h TU").arg(day).arg(runHour));
    QCOMPARE(archiveCaption(runDate), QStringLiteral("Archive du ") + day);
    QCOMPARE(archiveCaption(QDate()), QStringLiteral("Archive du "));
    Messages::clear();
}

void TstDisplayLogic::loadPicture_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QSize>("size");  // invalid: a null picture
    QTest::addColumn<int>("error");

    DemoMapServer server;
    const QByteArray map = server.mapBytes(QStringLiteral("/wz/pics/Rtavn065.gif"));
    const QImage decoded = QImage::fromData(map, "GIF");

    QTest::newRow("GIF stored as .png") << map << true << decoded.size() << 0;
    QTest::newRow("missing file") << QByteArray() << false << QSize() << 22;
    QTest::newRow("not a picture") << QByteArray("<html>404</html>") << true << QSize() << 0;
    QTest::newRow("GIF declaring 65535 x 65535") << gifDeclaring(65535, 65535) << true << QSize() << 0;
    QTest::newRow("GIF within sides, too many pixels") << gifDeclaring(8000, 8000) << true << QSize() << 0;
}

void TstDisplayLogic::loadPicture()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, present);
    QFETCH(QSize, size);
    QFETCH(int, error);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("temp0.png"));
    if (present) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    const LoadedPicture loaded = LoadPictureFile(path);
    QCOMPARE(loaded.error, error);
    QCOMPARE(loaded.picture.isNull(), !size.isValid());
    if (size.isValid())
        QCOMPARE(loaded.picture.size(), size);
}

QTEST_MAIN(TstDisplayLogic)
#include "tst_displaylogic.moc"
