// Choosing the place of the point forecast with a click on the map.
#include "viewer/form1.h"

#include "forecast/geometry.h"

#include <QLabel>
#include <cmath>

void Form1::Picture1_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, float X, float Y)
{
    if (button != Qt::LeftButton)
        return;
    // The map point under the pointer, in unzoomed twips, whole units.
    PlaceX = std::floor((X - OffsetX * Zoom) / Zoom);
    PlaceY = std::floor((Y - OffsetY * Zoom) / Zoom);
    auto whole = [](float v) { return QString::number(double(v) + 0.0, 'f', 0); };  // + 0.0: no "-0"
    Label4->setText(whole(PlaceX) + QLatin1Char(' ') + whole(PlaceY));
    ConvertD1TOD2(PlaceX, PlaceY, PlaceX2, PlaceY2);
    RefreshPicture();
}
