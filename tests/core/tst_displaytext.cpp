// The archive dates and the captions of the steps and the run, from a UTC clock.
#include "core/displaytext.h"
#include "mapserver/mapkinds.h"
#include "mapserver/maprender.h"
#include "shell/messages.h"

#include <QtTest>

namespace {

QString defaultLongDate(const QDate &date) { return QLocale().toString(date, QLocale::LongFormat); }

QDateTime at(const QDate &date, int hour, int minute = 0) { return QDateTime(date, QTime(hour, minute), QTimeZone::utc()); }

} // namespace

class TstDisplayText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The archive date lists may hold any numbers: they roll over to a real date.
    void rolledDate_data()
    {
        QTest::addColumn<QList<int>>("ymd");
        QTest::addColumn<QDate>("date");
        QTest::newRow("month 13") << QList<int>{2004, 13, 1} << QDate(2005, 1, 1);
        QTest::newRow("day 0") << QList<int>{2004, 3, 0} << QDate(2004, 2, 29);
        QTest::newRow("year 0") << QList<int>{0, 1, 1} << QDate();
        QTest::newRow("absurd day") << QList<int>{2004, 1, -2147483647 - 1} << QDate();
    }

    void rolledDate()
    {
        QFETCH(QList<int>, ymd);
        QFETCH(QDate, date);
        QCOMPARE(rollDate(ymd[0], ymd[1], ymd[2]), date);
    }

    // The step captions and the run caption from a UTC clock, and the demonstration map of
    // the same step, which must name the same run and valid time.
    void clockTexts_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QDateTime>("stepSlot");
        QTest::addColumn<QDateTime>("runSlot");

        const QDate feb28(2024, 2, 28), feb29(2024, 2, 29), mar1(2024, 3, 1);
        QTest::newRow("run of yesterday") << at(mar1, 0, 10) << 0 << "0h" << at(mar1, 0) << at(feb29, 18);
        QTest::newRow("step 1 crosses midnight") << at(feb28, 23, 30) << 1 << "6h" << at(feb29, 0) << at(feb28, 12);
        QTest::newRow("step 4 into March") << at(feb29, 5, 59) << 4 << "24h" << at(mar1, 0) << at(feb28, 18);
        QTest::newRow("largest step") << at(feb28, 23, 30) << 5461 << "32766h" << at(QDate(2027, 11, 25), 0) << at(feb28, 12);
        // A clock two hours ahead of UTC: 01:30 there is still the 18 UTC slot of the day before.
        QTest::newRow("local clock east of UTC") << QDateTime(mar1, QTime(1, 30), QTimeZone(2 * 3600)) << 0 << "0h"
                                                 << at(feb29, 18) << at(feb29, 12);
        QTest::newRow("local clock west of UTC") << QDateTime(feb28, QTime(20, 0), QTimeZone(-5 * 3600)) << 2 << "12h"
                                                 << at(feb29, 12) << at(feb28, 18);
    }

    void clockTexts()
    {
        QFETCH(QDateTime, now);
        QFETCH(int, step);
        QFETCH(QString, hours);
        QFETCH(QDateTime, stepSlot);
        QFETCH(QDateTime, runSlot);
        Messages::set(76, QStringLiteral("Cartavent - Run du"));
        Messages::set(72, QStringLiteral("h"));
        const auto slotText = [](const QDate &date, int hour) {
            return QStringLiteral("%1 à %2h UTC").arg(defaultLongDate(date)).arg(hour);
        };
        QCOMPARE(stepHoursText(step), hours);
        QCOMPARE(stepDateText(now, step), slotText(stepSlot.date(), stepSlot.time().hour()));
        QCOMPARE(runCaption(now), QStringLiteral("Cartavent - Run du ") + slotText(runSlot.date(), runSlot.time().hour()));

        // "+18H  VALIDE JEU 29.02.2024 00 UTC" and "RUN DU 28.02.2024 18 UTC" over the map.
        MapRequest request;
        request.kind = demoKindByKey(QStringLiteral("temp"));
        request.step = step;
        const MapCaption map = mapCaption(request, newestRunId(now.toSecsSinceEpoch()));
        const auto printed = [&](const QString &line) {
            static const QRegularExpression time(QStringLiteral("(\\d\\d\\.\\d\\d\\.\\d{4}) (\\d\\d) UTC$"));
            const QRegularExpressionMatch m = time.match(line);
            return m.hasMatch() ? slotText(QDate::fromString(m.captured(1), QStringLiteral("dd.MM.yyyy")), m.captured(2).toInt())
                                : QStringLiteral("no time in ") + line;
        };
        QCOMPARE(stepDateText(now, step), printed(map.line1));
        QCOMPARE(runCaption(now), QStringLiteral("Cartavent - Run du ") + printed(map.line2));
    }
};

QTEST_MAIN(TstDisplayText)
#include "tst_displaytext.moc"
