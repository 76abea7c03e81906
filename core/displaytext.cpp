#include "core/displaytext.h"

#include "shell/messages.h"

#include <QLocale>
#include <QTimeZone>
#include <cstdlib>

namespace {

constexpr qint64 SecondsPerHour = 3600;
constexpr int HoursPerSlot = 6;
// Beyond this a part is no date anyone meant, and addMonths/addDays would overflow.
constexpr int MaxDatePart = 1000000;

constexpr qint64 SecondsPerSlot = HoursPerSlot * SecondsPerHour;

qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - (a % b < 0 ? 1 : 0);
}

// The start of the UTC slot that holds `when`, whatever zone it was given in.
QDateTime slotStart(const QDateTime &when)
{
    const qint64 secs = when.toSecsSinceEpoch();
    return QDateTime::fromSecsSinceEpoch(floorDiv(secs, SecondsPerSlot) * SecondsPerSlot, QTimeZone::utc());
}

} // namespace

QString longDate(const QDate &date)
{
    if (!date.isValid())
        return QString();
    return QLocale().toString(date, QLocale::LongFormat);
}

QDate rollDate(int year, int month, int day)
{
    if (std::abs(qint64(month)) > MaxDatePart || std::abs(qint64(day)) > MaxDatePart)
        return QDate();
    const QDate first(year, 1, 1);
    if (!first.isValid())
        return QDate();
    return first.addMonths(month - 1).addDays(day - 1);
}

QDateTime runSlot(const QDateTime &now)
{
    return slotStart(now).addSecs(-SecondsPerSlot);
}

QDateTime validSlot(const QDateTime &now, int step)
{
    return runSlot(now).addSecs(qint64(stepHours(step + 1)) * SecondsPerHour);
}

QString slotText(const QDateTime &slot)
{
    const QDateTime utc = slot.toUTC();
    return msg(Msg::SlotText).arg(longDate(utc.date()), QString::number(utc.time().hour()) + msg(Msg::HourSuffix));
}

QString runCaption(const QDateTime &now)
{
    return msg(Msg::RunTitle) + QLatin1Char(' ') + slotText(runSlot(now));
}

QString archiveCaption(const QDate &date)
{
    return msg(Msg::ArchiveTitle) + QLatin1Char(' ') + longDate(date);
}

int stepHours(int step)
{
    // The maximum step is kept at 5461, so 6 x s fits the 16 bits the captions were made for.
    return HoursPerSlot * step;
}

QString stepHoursText(int step)
{
    return QString::number(stepHours(step)) + QLatin1Char('h');
}

QString stepDateText(const QDateTime &now, int step)
{
    return slotText(validSlot(now, step));
}

QString stepFrameTitle(int step)
{
    return msg(Msg::StepFrameTitle).arg(stepHoursText(step));
}
