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
constexpr float BoxShift = 300.0f;
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
    // The layout widens the box to fit a long value and its unit rather than clipping it.
    m_mapLayout->moveTo(valueBox, QPoint(int(std::floor((x + BoxShift) / PictureBox::TwipsPerPixel)),
                                         int(std::floor((y + BoxShift) / PictureBox::TwipsPerPixel))));
    valueBox->show();
}
