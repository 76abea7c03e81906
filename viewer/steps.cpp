// The step bar and its captions.
#include "viewer/form1.h"

#include "core/displaytext.h"

#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>

void Form1::showStep(int step)
{
    stepScrollBar->setValue(step);
    showStepCaptions(step);
    // Once a place is chosen the panel's title changes with its values.
    if (m_placeChosen)
        computeForecast();
}

void Form1::showStepCaptions(int step)
{
    m_stepShown = true;
    stepHoursLabel->setText(stepHoursText(step));
    stepDateLabel->setText(stepDateText(QDateTime::currentDateTimeUtc(), step));
    if (!m_placeChosen)
        stepPanel.frame->setTitle(stepFrameTitle(step));
}

// While the thumb is dragged only the date follows it; the map loads on release.
void Form1::previewStep(int position)
{
    stepDateLabel->setText(stepDateText(QDateTime::currentDateTimeUtc(), position));
}
