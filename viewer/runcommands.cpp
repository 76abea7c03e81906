// The run commands: refresh, test for a new run, delete, download all, maximum step.
#include "viewer/form1.h"

#include "retrieval/retrievalservice.h"
#include "retrieval/runcommands.h"
#include "shell/messages.h"
#include "shell/textutil.h"

#include <QCoreApplication>
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

void Form1::Command2_Click()
{
    // The probe cancels the client and clears the guard when it ends: run in the middle
    // of a transfer, it would cut that map short and let a second transfer start.
    if (Downloading) {
        Q_EMIT Service->messageBox(msg(MsgBusy), true);
        return;
    }
    Service->ChercheModele();
}

void Form1::Command10_Click()
{
    Service->GetNewModeles(HScroll1->value(), 0);
}

void Form1::Command15_Click()
{
    if (Command15->property(StateProperty).toString() == Running) {
        Command15->setProperty(StateProperty, StopAsked);
        return;
    }
    if (Downloading) {
        // Through the service's channel, so it is shown like every other box.
        Q_EMIT Service->messageBox(msg(MsgBusy), true);
        return;
    }
    Command15->setProperty(StateProperty, Running);

    // A maximum refused by Text1_Change is not taken here either: the accepted one stays.
    const int last = boundedStep(parseLenient(Text1->text())).value_or(HScroll1->maximum());
    const QLocale locale;
    for (int s = 0; s <= last; ++s) {
        bool stop = false;
        for (int k = 1; k <= 7 && !stop; ++k) {
            Service->GetNewModeles(s, k);
            Command15->setText(downloadAllCaption(s, k, last, locale));
            QCoreApplication::processEvents();
            stop = Command15->property(StateProperty).toString() == StopAsked;
        }
        if (stop)
            break;
    }
    Command15->setText(msg(MsgAllDone));
    Command15->setProperty(StateProperty, QString());
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
