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

void Form1::showArchiveDate()
{
    const int year = m_model.archiveYear();
    if (yearCombo->count() > 0)
        yearCombo->setCurrentText(QString::number(year));
    dayCombo->setEditText(QString::number(m_model.archiveDay()));
    if (monthCombo->currentText() != QString::number(m_model.archiveMonth()))
        monthCombo->setEditText(QString::number(m_model.archiveMonth()));
    archiveDayScrollBar->setValue(m_model.archiveDayOfYear());
    const QDate date = rollDate(year, 1, m_model.archiveDayOfYear());
    if (date.isValid())
        archiveDateLabel->setText(longDate(date));
}

void Form1::previewArchiveDay(int position)
{
    // While the thumb is dragged the value has not changed yet: read where the thumb is.
    const QDate date = rollDate(m_model.archiveYear(), 1, position);
    if (date.isValid())
        archiveDateLabel->setText(longDate(date));
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
        status->setText(!outcome || !outcome->error ? QStringLiteral("Fini") : msg(Msg::ArchiveFailed) + outcome->text);
    };
    if (batch->isFinished())
        report();
    else
        connect(batch, &MapBatch::finished, status, report);
    return batch;
}
