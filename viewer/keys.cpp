// The keyboard: the map area and the buttons share the viewer's keys; a text box, spin box,
// scroll bar or list with the focus keeps its own.
#include "viewer/form1.h"
#include "viewer/picturebox.h"

#include "shell/messages.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

void Form1::watchKeys()
{
    mapPicture->setFocusPolicy(Qt::StrongFocus);
    qApp->installEventFilter(this);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *widget = qobject_cast<QWidget *>(watched);
    const bool ours = widget && widget->window() == this
        && (widget == mapPicture || qobject_cast<QAbstractButton *>(widget));
    return ours && viewerKey(*static_cast<QKeyEvent *>(event));
}

// True when the key was one of the viewer's.
bool Form1::viewerKey(const QKeyEvent &key)
{
    const bool control = key.modifiers() & Qt::ControlModifier;
    const auto press = [this](QPushButton *button) { button->click(); return true; };
    switch (key.key()) {
    case Qt::Key_Left:
        return control ? press(panLeftButton) : (stepBy(-1), true);
    case Qt::Key_Right:
        return control ? press(panRightButton) : (stepBy(1), true);
    case Qt::Key_Up:
        return control && press(panUpButton);
    case Qt::Key_Down:
        return control && press(panDownButton);
    case Qt::Key_Plus:
    case Qt::Key_Equal:  // "+" without Shift on many keyboards
        return press(zoomInButton);
    case Qt::Key_Minus:
        return press(zoomOutButton);
    case Qt::Key_Home:
        return press(homeViewButton);
    case Qt::Key_Space:
        m_model.setAnimating(!m_model.animating());
        return true;
    case Qt::Key_C:
        return control && press(copyAddressButton);
    case Qt::Key_M:
        // Not through the button: without a place, the status line says what to do.
        if (control)
            return false;
        openMeteogram();
        return true;
    default:
        return false;
    }
}

// The previous or next step, or day in archive mode.
void Form1::stepBy(int delta)
{
    if (m_model.archive())
        m_model.setArchiveDayOfYear(m_model.archiveDayOfYear() + delta);
    else
        m_model.setStep(m_model.step() + delta);
}

// Every control with a key says which; texts from the message table, so after the
// language file is read.
void Form1::applyToolTips()
{
    const std::pair<QWidget *, Msg> tips[] = {
        {zoomInButton, Msg::ZoomInTip},       {zoomOutButton, Msg::ZoomOutTip},
        {panUpButton, Msg::PanUpTip},         {panDownButton, Msg::PanDownTip},
        {panLeftButton, Msg::PanLeftTip},     {panRightButton, Msg::PanRightTip},
        {copyAddressButton, Msg::CopyAddressTip}, {fitViewButton, Msg::FitViewTip},
        {homeViewButton, Msg::HomeViewTip},   {helpButton, Msg::HelpTip},
        {animateStepsBox, Msg::AnimateTip},   {animateDaysBox, Msg::AnimateTip},
        {stepScrollBar, Msg::StepKeysTip},    {archiveDayScrollBar, Msg::StepKeysTip},
        {stopButton, Msg::StopTip},           {maxStepEdit, Msg::MaxStepTip},
        {meteogramButton, Msg::MeteogramTip},
    };
    for (const auto &[widget, message] : tips)
        widget->setToolTip(msg(message));
}
