// The value box that follows the pointer over Picture1.
#include "viewer/form1.h"
#include "viewer/mapdisplay.h"
#include "viewer/picturebox.h"

#include "forecast/readout.h"

#include <QCheckBox>
#include <QLabel>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Box corner relative to the pointer, and the sample grid: 5 x 5 pixels around it.
constexpr float BoxShift = 300.0f;
constexpr int BoxWidth = 660 / 15;
constexpr std::array<float, 5> GridOffsets = {-30.0f, -15.0f, 0.0f, 15.0f, 30.0f};

} // namespace

void Form1::Picture1_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, float X, float Y)
{
    // Hidden first so that the box never covers the pixels about to be read.
    Label34->hide();
    // A dimmed map on its way holds no values to read.
    if (!Check4->isChecked() || isLoading())
        return;
    Label34->move(int(std::floor((X + BoxShift) / PictureBox::TwipsPerPixel)),
                  int(std::floor((Y + BoxShift) / PictureBox::TwipsPerPixel)));

    std::array<qint32, GridOffsets.size() * GridOffsets.size()> colours;
    std::size_t i = 0;
    for (float dx : GridOffsets) {
        for (float dy : GridOffsets)
            colours[i++] = Picture1->pointTwips(X + dx, Y + dy);
    }
    const MapSelection shown = readSelection(*this);
    const ReadoutRule rule = readoutRule(shown.archive, shown.level == ArchiveLevel::P850, shown.kindNumber);
    Label34->setText(readoutText(rule, colours));
    // Grows to fit a long value and its unit rather than clipping it.
    Label34->resize(std::max(BoxWidth, Label34->sizeHint().width() + 6), Label34->height());
    Label34->show();
}
