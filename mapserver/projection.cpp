#include "mapserver/projection.h"

#include <cmath>

namespace {

// The pole lies above the top edge; 50 N 12.5 E falls on the middle of the wind map's frame.
constexpr double kPoleX = 372;
constexpr double kPoleY = -172;
constexpr double kScale = 1400;     // pixels per unit of tan(colatitude / 2)
constexpr double kCentralLon = 0;
constexpr double kDeg = M_PI / 180.0;

} // namespace

void toPixel(double lat, double lon, double &x, double &y)
{
    const double r = kScale * std::tan((90.0 - lat) * kDeg / 2.0);
    const double a = (lon - kCentralLon) * kDeg;
    x = kPoleX + r * std::sin(a);
    y = kPoleY + r * std::cos(a);
}

void latLon(double x, double y, double &lat, double &lon)
{
    const double dx = x - kPoleX;
    const double dy = y - kPoleY;
    lat = 90.0 - 2.0 * std::atan(std::hypot(dx, dy) / kScale) / kDeg;
    lon = kCentralLon + std::atan2(dx, dy) / kDeg;
}

void latLon(float x, float y, float &lat, float &lon)
{
    double la = 0, lo = 0;
    latLon(double(x), double(y), la, lo);
    lat = float(la);
    lon = float(lo);
}
