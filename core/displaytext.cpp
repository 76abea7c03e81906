#include "core/displaytext.h"

#include "shell/messages.h"

#include <QLocale>
#include <cstdlib>

namespace {

constexpr qint64 SecondsPerHour = 3600;
constexpr int HoursPerSlot = 6;
// Beyond this a part is no date anyone meant, and addMonths/addDays would overflow.
constexpr int MaxDatePart = 1000000;

int slotHour(const QDateTime &when)
{
    return when.time().hour() / HoursPerSlot * HoursPerSlot;
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

QString runCaption(const QDateTime &now)
{
    const QDateTime run = now.addSecs(-HoursPerSlot * SecondsPerHour);
    return msg(76) + QLatin1Char(' ') + longDate(run.date()) + QLatin1Char(' ')
        + QString::number(slotHour(run)) + msg(72);
}

QString archiveCaption(const QDate &date)
{
    return msg(56) + QLatin1Char(' ') + longDate(date);
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
    const QDateTime valid = now.addSecs(qint64(stepHours(step)) * SecondsPerHour);
    return longDate(valid.date()) + QStringLiteral("  à ") + QString::number(slotHour(valid))
        + QLatin1Char('h');
}

QString stepFrameTitle(int step)
{
    return QStringLiteral("Situation à +") + stepHoursText(step);
}
