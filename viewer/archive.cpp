// Archive browsing: the day-of-year scroll bar, the day-by-day animation and the fetch of
// one archive map into the cache.
#include "viewer/displaytext.h"
#include "viewer/form1.h"
#include "viewer/mapdisplay.h"

#include "retrieval/catalogue.h"
#include "retrieval/retrievalservice.h"
#include "shell/messages.h"

#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QScrollBar>

namespace {

// Day `dayOfYear` of the year shown in Combo1 (1 is 1 January).
QDate archiveDay(const Form1 &f, int dayOfYear)
{
    return rollDate(dateListNumber(f.Combo1->currentText()), 1, dayOfYear);
}

QString shortDate(const QDate &date)
{
    return date.isValid() ? QLocale().toString(date, QLocale::ShortFormat) : QString();
}

MapBatch *fetchArchive(Form1 &f, ArchiveLevel level, int year, int day, int month)
{
    QLabel *status = f.Label33;
    status->setText(msg(55) + QLatin1Char(' ') + shortDate(rollDate(year, month, day)));
    MapBatch *batch = f.Service->fetchArchive(level, year, month, day);
    const QString file = f.Service->cachePath(archiveCacheName(level, year, month, day));
    const auto report = [status, batch, file] {
        const FetchOutcome *outcome = batch->outcomeFor(file);
        // A day that could not be had says so, and why.
        status->setText(!outcome || !outcome->error ? QStringLiteral("Fini")
                                                     : msg(MsgArchiveFailed) + outcome->text);
    };
    if (batch->isFinished())
        report();
    else
        QObject::connect(batch, &MapBatch::finished, status, report);
    return batch;
}

} // namespace

void Form1::HScroll2_Change()
{
    const QDate date = archiveDay(*this, HScroll2->value());
    if (!date.isValid())
        return;  // no year chosen yet
    Label32->setText(longDate(date));
    // The day first: the month's change handler redraws, and must see the new day.
    Combo3->setEditText(QString::number(date.day()));
    const QString month = QString::number(date.month());
    if (Combo2->currentText() != month) {
        Combo2->setEditText(month);
        Combo2_Change();
    }
    RefreshPicture();
}

void Form1::HScroll2_Scroll()
{
    // While the thumb is dragged the value has not changed yet: read where the thumb is.
    const QDate date = archiveDay(*this, HScroll2->sliderPosition());
    if (date.isValid())
        Label32->setText(longDate(date));
}

void Form1::archiveAnimationTick()
{
    if (HScroll2->value() < HScroll2->maximum()) {
        HScroll2->setValue(HScroll2->value() + 1);
        return;
    }
    // The end of the year: on to the next later year, never reaching the newest (index 0).
    const int index = Combo1->currentIndex();
    if (index > 1) {
        Combo1->setCurrentIndex(index - 1);
        Combo1_Click();  // the list is wired to the user's choice only
    }
    HScroll2->setValue(1);
}

MapBatch *Form1::GetArchive500(int year, int day, int month)
{
    return fetchArchive(*this, ArchiveLevel::P500, year, day, month);
}

MapBatch *Form1::GetArchive850(int year, int day, int month)
{
    return fetchArchive(*this, ArchiveLevel::P850, year, day, month);
}
