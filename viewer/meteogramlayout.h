#pragma once
// Where the parts of a meteogram go for a size and a number of steps: bands from top to
// bottom, one column a step wide for each step, a time scale, and round axis ticks.
#include <QDateTime>
#include <QRectF>
#include <QVector>

struct AxisTicks {
    double low = 0, high = 1, interval = 1;
    QVector<double> values() const;
    double fraction(double value) const { return (value - low) / (high - low); }  // 0 at low, 1 at high
};
// Round ticks (1, 2, 2.5 or 5 times a power of ten) covering low..high in about `count`
// intervals.
AxisTicks roundTicks(double low, double high, int count);
// The ticks of a second axis sharing the grid of `grid`: from 0, the same number of intervals.
AxisTicks matchingTicks(const AxisTicks &grid, double high);

class MeteogramLayout {
public:
    static constexpr double AxisWidth = 44;  // room for the labels either side

    // lineHeight: of the text; legendRows: rows the legend takes.
    MeteogramLayout(const QRectF &area, int steps, double lineHeight, int legendRows);

    QRectF legend, cloud, temperature, rain, storm, hours, days;
    QRectF plot() const { return {cloud.left(), cloud.top(), cloud.width(), storm.bottom() - cloud.top()}; }

    int steps() const { return m_steps; }
    double column() const { return m_steps > 0 ? cloud.width() / m_steps : 0; }
    double centre(int step) const { return cloud.left() + (step + 0.5) * column(); }
    QRectF columnRect(int step, const QRectF &band) const
    {
        return {cloud.left() + step * column(), band.top(), column(), band.height()};
    }
    // The step whose column holds x, the nearest one outside them; -1 without steps.
    int stepAt(double x) const;
    // Where a time falls, step 0's centre being at `first`.
    double timeX(const QDateTime &first, const QDateTime &when) const;

private:
    int m_steps;
};
