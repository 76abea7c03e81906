#include "viewer/meteogramlayout.h"

#include <cmath>

namespace {

constexpr double Margin = 8;
constexpr double Gap = 6;
constexpr double SecondsPerStep = 6 * 3600;

double roundInterval(double span, int count)
{
    const double raw = span / qMax(1, count);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 2.5, 5.0}) {
        if (factor * power >= raw * 0.999)
            return factor * power;
    }
    return 10 * power;
}

} // namespace

QVector<double> AxisTicks::values() const
{
    QVector<double> ticks;
    for (double v = low; v <= high + interval * 1e-6; v += interval)
        ticks.append(std::abs(v) < interval * 1e-6 ? 0.0 : v);
    return ticks;
}

AxisTicks roundTicks(double low, double high, int count)
{
    if (!(high > low))
        high = low + 1;
    AxisTicks t;
    t.interval = roundInterval(high - low, count);
    t.low = std::floor(low / t.interval) * t.interval;
    t.high = std::ceil(high / t.interval) * t.interval;
    return t;
}

AxisTicks matchingTicks(const AxisTicks &grid, double high)
{
    const int intervals = qMax(1, int(std::lround((grid.high - grid.low) / grid.interval)));
    AxisTicks t;
    t.interval = roundInterval(qMax(high, 1e-9), intervals);
    t.low = 0;
    t.high = t.interval * intervals;
    return t;
}

MeteogramLayout::MeteogramLayout(const QRectF &area, int steps, double lineHeight, int legendRows)
    : m_steps(qMax(0, steps))
{
    const double left = area.left() + Margin + AxisWidth;
    const double width = qMax(1.0, area.width() - 2 * (Margin + AxisWidth));
    const double stripHeight = qMax(14.0, lineHeight + 2);
    const double rowHeight = lineHeight + 4;
    double y = area.top() + Margin;
    legend = QRectF(left, y, width, legendRows * rowHeight);
    y = legend.bottom() + Gap;
    cloud = QRectF(left, y, width, stripHeight);
    // What the fixed rows leave goes to the two plots, the temperatures taking more.
    // The plots lie a line apart: the last label of one never meets the first of the other.
    const double fixed = stripHeight + rowHeight * 3 + Gap * 3 + Margin;
    const double flexible = qMax(40.0, area.bottom() - cloud.bottom() - fixed);
    temperature = QRectF(left, cloud.bottom() + Gap + lineHeight / 2, width, flexible * 0.56);
    rain = QRectF(left, temperature.bottom() + rowHeight, width, flexible * 0.44);
    storm = QRectF(left, rain.bottom() + Gap, width, stripHeight);
    hours = QRectF(left, storm.bottom(), width, rowHeight);
    days = QRectF(left, hours.bottom(), width, rowHeight);
}

int MeteogramLayout::stepAt(double x) const
{
    if (m_steps == 0)
        return -1;
    return qBound(0, int(std::floor((x - cloud.left()) / column())), m_steps - 1);
}

double MeteogramLayout::timeX(const QDateTime &first, const QDateTime &when) const
{
    return centre(0) + double(first.secsTo(when)) / SecondsPerStep * column();
}
