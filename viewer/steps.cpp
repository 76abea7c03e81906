// The step bar HScroll1 and the step animation.
#include "viewer/displaytext.h"
#include "viewer/form1.h"

#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>

void Form1::HScroll1_Change()
{
    showStepCaptions();
    RefreshPicture();
}

void Form1::showStepCaptions()
{
    const int step = HScroll1->value();
    Label2->setText(stepHoursText(step));
    Label14->setText(stepDateText(QDateTime::currentDateTime(), step));
    Frame4->setTitle(stepFrameTitle(step));
}

// While the thumb is dragged only the date follows it; the map loads on release.
void Form1::HScroll1_Scroll()
{
    Label14->setText(stepDateText(QDateTime::currentDateTime(), HScroll1->sliderPosition()));
}

void Form1::stepAnimationTick()
{
    const int step = HScroll1->value();
    HScroll1->setValue(step < HScroll1->maximum() ? step + 1 : 0);
}
