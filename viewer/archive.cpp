// Archive browsing: the date lists, the day-of-year bar and the fetch of one archive map.
#include "viewer/form1.h"
#include "viewer/mapdisplay.h"

#include "core/displaytext.h"
#include "retrieval/retrievalservice.h"
#include "shell/messages.h"

#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QScrollBar>

namespace {

QString shortDate(const QDate &date)
{
    return date.isValid() ? QLocale().toString(date, QLocale::ShortFormat) : QString();
}

} // namespace

void Form1::chooseYear(const QString &text) { m_model.setArchiveYear(dateListNumber(text)); }
void Form1::chooseMonth(const QString &text) { m_model.setArchiveMonth(dateListNumber(text)); }
void Form1::chooseDay(const QString &text) { m_model.setArchiveDay(dateListNumber(text)); }

// The lists, the bar and the "Date :" label all show the model's day.
void Form1::showArchiveDate()
{
    const QDate date = m_model.archiveDate();
    if (yearCombo->count() > 0)
        yearCombo->setCurrentText(QString::number(date.year()));
    for (const auto &[combo, part] : {std::pair{monthCombo, date.month()}, std::pair{dayCombo, date.day()}}) {
        if (combo->currentText() != QString::number(part))
            combo->setEditText(QString::number(part));
    }
    archiveDayScrollBar->setMaximum(date.daysInYear());
    archiveDayScrollBar->setValue(date.dayOfYear());
    archiveDateLabel->setText(longDate(date));
}

// Nothing is fetched for a day that does not exist; the lists go back to the day shown.
void Form1::refuseArchiveDate(int year, int month, int day)
{
    const QString date = QStringLiteral("%1/%2/%3").arg(day, 2, 10, QLatin1Char('0')).arg(month, 2, 10, QLatin1Char('0')).arg(year);
    const QString text = msg(Msg::ImpossibleDate).arg(date);
    archiveStatusLabel->setText(text);
    showArchiveDate();
    showMessage(text, false);
}

void Form1::previewArchiveDay(int position)
{
    // While the thumb is dragged the value has not changed yet: read where the thumb is.
    const QDate first(m_model.archiveYear(), 1, 1);
    archiveDateLabel->setText(longDate(first.addDays(position - 1)));
}

// The status line says which day is fetched, then whether it could be had, and why not.
MapBatch *Form1::fetchArchive(const MapSelection &s)
{
    archiveStatusLabel->setText(msg(Msg::ArchiveDownloading) + QLatin1Char(' ') + shortDate(rollDate(s.year, s.month, s.day)));
    MapBatch *batch = m_service->fetchArchive(s.level, s.year, s.month, s.day);
    const QString file = m_service->cachePath(archiveCacheName(s.level, s.year, s.month, s.day));
    QLabel *status = archiveStatusLabel;
    const auto report = [status, batch, file] {
        const FetchOutcome *outcome = batch->outcomeFor(file);
        status->setText(!outcome || !outcome->error ? msg(Msg::ArchiveDone) : msg(Msg::ArchiveFailed) + outcome->reason());
    };
    if (batch->isFinished())
        report();
    else
        connect(batch, &MapBatch::finished, status, report);
    return batch;
}
