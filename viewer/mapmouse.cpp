// The mouse over the map: a click chooses the place, a drag pans, the wheel zooms about
// the pointer, and the value box follows the pointer.
#include "viewer/form1.h"
#include "viewer/picturebox.h"

#include <QApplication>
#include <QLabel>

namespace {

constexpr int WheelNotch = 120;  // eighths of a degree: one step of a common wheel

} // namespace

void Form1::pressOnMap(Qt::MouseButton button, QPointF pixel)
{
    if (button != Qt::LeftButton)
        return;
    m_pressedAt = pixel;
    m_dragAt = pixel;
    m_pressed = true;
    m_dragging = false;
}

void Form1::moveOnMap(Qt::MouseButtons buttons, float x, float y)
{
    const QPointF pixel(x / PictureBox::TwipsPerPixel, y / PictureBox::TwipsPerPixel);
    if (m_pressed && (buttons & Qt::LeftButton)) {
        // A hand that shakes while clicking still chooses a place.
        if (!m_dragging && (pixel - m_pressedAt).manhattanLength() >= QApplication::startDragDistance()) {
            m_dragging = true;
            valueBox->hide();
        }
        if (m_dragging) {
            const QPointF delta = pixel - m_dragAt;
            m_dragAt = pixel;
            changeViewLive([this, delta] { m_model.panBy(delta); });
            return;
        }
    }
    readValueAt(x, y);
}

void Form1::releaseOnMap(Qt::MouseButton button, float x, float y)
{
    if (button != Qt::LeftButton)
        return;
    const bool dragged = m_dragging;
    m_pressed = m_dragging = false;
    if (!dragged)
        choosePlace(x, y);
}

void Form1::turnWheel(int angleDelta, QPointF pixel)
{
    // High-resolution wheels send parts of a notch: they add up to whole steps.
    m_wheelAngle += angleDelta;
    const int steps = m_wheelAngle / WheelNotch;
    m_wheelAngle -= steps * WheelNotch;
    if (steps != 0)
        changeViewLive([this, steps, pixel] { m_model.zoomAt(steps, pixel); });
}
