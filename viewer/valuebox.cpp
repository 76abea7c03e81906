// The value box that follows the pointer over the map.
#include "viewer/designlayout.h"
#include "viewer/form1.h"
#include "viewer/picturebox.h"

#include "forecast/readout.h"

#include <QLabel>
#include <array>
#include <cmath>

namespace {

// Box corner relative to the pointer, and the sample grid: 5 x 5 pixels around it.
constexpr int BoxShift = 20;  // pixels
constexpr std::array<float, 5> GridOffsets = {-30.0f, -15.0f, 0.0f, 15.0f, 30.0f};

} // namespace

void Form1::readValueAt(float x, float y)
{
    // Hidden first so that the box never covers the pixels about to be read.
    valueBox->hide();
    // A dimmed map on its way holds no values to read.
    if (!m_model.valueBox() || m_model.loading())
        return;

    std::array<qint32, GridOffsets.size() * GridOffsets.size()> colours;
    std::size_t i = 0;
    for (float dx : GridOffsets) {
        for (float dy : GridOffsets)
            colours[i++] = mapPicture->pointTwips(x + dx, y + dy);
    }
    const MapSelection shown = m_model.selection();
    const ReadoutRule rule = readoutRule(shown.archive, shown.level == ArchiveLevel::P850, shown.kindNumber);
    valueBox->setText(readoutText(rule, colours));
    placeValueBox(QPointF(x, y) / PictureBox::TwipsPerPixel);
    valueBox->show();
}

// Below and right of the pointer; on the other side of it near the right or bottom edge,
// so that the box is never cut off. The layout widens it to fit a long value and its unit.
void Form1::placeValueBox(QPointF pointer)
{
    const QPoint at(int(std::floor(pointer.x())), int(std::floor(pointer.y())));
    m_mapLayout->moveTo(valueBox, at + QPoint(BoxShift, BoxShift));
    const QSize box = m_mapLayout->placeOf(valueBox).size();
    const QSize area = mapPicture->size();
    QPoint corner = at + QPoint(BoxShift, BoxShift);
    if (corner.x() + box.width() > area.width())
        corner.setX(at.x() - BoxShift - box.width());
    if (corner.y() + box.height() > area.height())
        corner.setY(at.y() - BoxShift - box.height());
    m_mapLayout->moveTo(valueBox, QPoint(qBound(0, corner.x(), qMax(0, area.width() - box.width())),
                                         qBound(0, corner.y(), qMax(0, area.height() - box.height()))));
}
