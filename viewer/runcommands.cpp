// The run commands: refresh, test for a new run, delete, download all, maximum step.
#include "viewer/form1.h"

#include "retrieval/retrievalservice.h"
#include "core/downloadshare.h"
#include "shell/messages.h"
#include "shell/textutil.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>

#include <optional>

namespace {

constexpr int MsgBusy = 42;
constexpr int MsgAllDone = 43;
constexpr int MsgLongRange = 62;
constexpr int LongRangeStep = 36;  // beyond it the server may not have the maps

// The download-all state lives on the button: "tag" already holds its message number.
const char *const StateProperty = "state";
const QString Running = QStringLiteral("now");
const QString StopAsked = QStringLiteral("stop");

// A maximum step read from text: its rounded value, or nothing when it is too large for
// the hours and map numbers built from it.
std::optional<int> boundedStep(double value)
{
    if (!(value <= MaxStepLimit + 1.0))  // also NaN; keeps the rounding in range
        return std::nullopt;
    const qint64 rounded = roundHalfEven(value);
    if (rounded > MaxStepLimit)
        return std::nullopt;
    return int(rounded);
}

} // namespace

void Form1::Command1_Click()
{
    Service->deletePngFiles();
}

// A second run job would race the first one for the same maps.
static bool refusedWhileBusy(RetrievalService *service)
{
    if (!service->busy() && !service->held())
        return false;
    Q_EMIT service->messageBox(msg(MsgBusy), true);
    return true;
}

void Form1::Command2_Click()
{
    if (!refusedWhileBusy(Service))
        Service->ChercheModele();
}

void Form1::Command10_Click()
{
    if (!refusedWhileBusy(Service))
        Service->refreshStep(HScroll1->value());
}

void Form1::Command15_Click()
{
    if (m_downloadAll) {
        Command15->setProperty(StateProperty, StopAsked);
        m_downloadAll->stop();  // the maps under way finish, the others are not fetched
        return;
    }
    if (refusedWhileBusy(Service))
        return;
    Command15->setProperty(StateProperty, Running);

    // A maximum refused by Text1_Change is not taken here either: the accepted one stays.
    const int last = boundedStep(parseLenient(Text1->text())).value_or(HScroll1->maximum());
    m_downloadAll = Service->downloadAll(last);
    const QLocale locale;
    connect(m_downloadAll, &MapBatch::groupDone, this, [this, last, locale](int map) {
        Command15->setText(downloadAllCaption(map / 7, map % 7 + 1, last, locale));
    });
    connect(m_downloadAll, &MapBatch::finished, this, [this] {
        Command15->setText(msg(MsgAllDone));
        Command15->setProperty(StateProperty, QString());
    });
}

void Form1::Text1_Change()
{
    const double value = parseLenient(Text1->text());
    if (!(value > 0))
        return;
    const std::optional<int> step = boundedStep(value);
    if (!step || value > LongRangeStep)
        Label3->setText(msg(MsgLongRange));
    if (!step)
        return;
    if (value < HScroll1->value())
        HScroll1->setValue(*step);
    HScroll1->setMaximum(*step);
}
