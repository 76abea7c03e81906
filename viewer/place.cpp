// Choosing the place of the point forecast with a click on the map.
#include "viewer/form1.h"

#include "forecast/geometry.h"

#include <QLabel>
#include <cmath>

void Form1::choosePlace(float x, float y)
{
    // The map point under the pointer, in unzoomed twips, whole units.
    const float zoom = m_model.zoom();
    const float placeX = std::floor((x - m_model.offsetX() * zoom) / zoom);
    const float placeY = std::floor((y - m_model.offsetY() * zoom) / zoom);
    float x2 = 0, y2 = 0;
    ConvertD1TOD2(placeX, placeY, x2, y2);
    m_placeChosen = true;
    m_model.setPlace(placeX, placeY, x2, y2);
}

void Form1::showPlace()
{
    auto whole = [](float v) { return QString::number(double(v) + 0.0, 'f', 0); };  // + 0.0: no "-0"
    placeLabel->setText(whole(m_model.placeX()) + QLatin1Char(' ') + whole(m_model.placeY()));
    RefreshPicture();
    if (m_placeChosen)
        computeForecast();
}
