#include "viewer/meteogrampainter.h"

#include "forecast/meteogramtext.h"
#include "shell/messages.h"
#include "viewer/meteogramlayout.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

const QColor Ink(51, 51, 51);
const QColor Grid(228, 228, 228);
const QColor DayLine(160, 160, 160);
const QColor Missing(205, 205, 205);
const QColor Selection(255, 226, 120, 90);
const QColor TemperatureColour(214, 39, 40);
const QColor Temperature850Colour(232, 130, 20);
const QColor RainColour(52, 132, 228, 210);
const QColor WindColour(40, 150, 70);
const QColor StormColours[] = {Qt::transparent, QColor(236, 190, 20), QColor(243, 120, 30), QColor(200, 20, 40)};

enum class Swatch { Line, DashedLine, Bar, Cloud, Storm };
struct LegendItem {
    PanelRole role;
    Swatch swatch;
    QColor colour;
};
const LegendItem Legend[] = {
    {PanelRole::Temperature, Swatch::Line, TemperatureColour},
    {PanelRole::Temperature850, Swatch::DashedLine, Temperature850Colour},
    {PanelRole::Precipitation, Swatch::Bar, RainColour},
    {PanelRole::CloudCover, Swatch::Cloud, QColor(150, 150, 150)},
    {PanelRole::Wind, Swatch::Line, WindColour},
    {PanelRole::Storm, Swatch::Storm, StormColours[2]},
};
constexpr double SwatchWidth = 22;
constexpr double ItemGap = 18;

// Where each legend item goes, from the legend's top-left corner, one row a line high.
QVector<QPointF> legendFlow(const QFontMetricsF &fm, double width, int *rows)
{
    QVector<QPointF> at;
    double x = 0, y = 0;
    for (const LegendItem &item : Legend) {
        const double w = SwatchWidth + 6 + fm.horizontalAdvance(meteogramName(item.role));
        if (x > 0 && x + w > width) {
            x = 0;
            y += fm.height() + 4;
        }
        at.append({x, y});
        x += w + ItemGap;
    }
    *rows = int(std::lround(y / (fm.height() + 4))) + 1;
    return at;
}

void paintBolt(QPainter &p, QPointF centre, double height, const QColor &colour)
{
    static const QPointF shape[] = {{0.15, -0.5}, {-0.25, 0.05}, {0.0, 0.05}, {-0.15, 0.5}, {0.3, -0.1}, {0.05, -0.1}, {0.3, -0.5}};
    QPolygonF bolt;
    for (const QPointF &s : shape)
        bolt << centre + s * height;
    p.setPen(QPen(colour.darker(140), 0.8));
    p.setBrush(colour);
    p.drawPolygon(bolt);
}

void paintCloudGlyph(QPainter &p, QPointF centre, double height)
{
    p.setPen(QPen(QColor(120, 120, 120), 0.8));
    p.setBrush(QColor(200, 200, 205));
    QPainterPath cloud;
    cloud.addEllipse(centre + QPointF(-0.45, 0.0) * height, 0.35 * height, 0.28 * height);
    cloud.addEllipse(centre + QPointF(0.05, -0.12) * height, 0.42 * height, 0.36 * height);
    cloud.addEllipse(centre + QPointF(0.5, 0.05) * height, 0.3 * height, 0.24 * height);
    p.drawPath(cloud.simplified());
}

QString tickText(double value, double interval)
{
    const int decimals = interval >= 1 && interval == std::floor(interval) ? 0 : (interval * 10 == std::floor(interval * 10) ? 1 : 2);
    return QLocale().toString(value, 'f', decimals);
}

class Painting {
public:
    Painting(QPainter &p, const QRectF &area, const MeteogramPicture &picture)
        : p(p), area(area), pic(picture), fm(p.font()), legendAt(legendFlow(fm, layoutWidth(area), &legendRows)),
          l(area, int(picture.steps.size()), fm.height(), legendRows)
    {
    }

    void paint()
    {
        p.fillRect(area, Qt::white);
        paintLegend();
        if (pic.steps.isEmpty())
            return;
        for (const QRectF &band : {l.temperature, l.rain})
            p.fillRect(band, QColor(250, 251, 253));
        if (pic.selected >= 0 && pic.selected < l.steps())
            p.fillRect(l.columnRect(pic.selected, l.plot()), Selection);
        paintMissing();
        paintCloud();
        paintTemperature();
        paintRain();
        paintStorm();
        paintTime();
        p.setPen(QPen(Missing, 1));
        p.setBrush(Qt::NoBrush);
        for (const QRectF &band : {l.temperature, l.rain})
            p.drawRect(band);
        paintHover();
    }

private:
    static double layoutWidth(const QRectF &area) { return MeteogramLayout(area, 1, 10, 1).legend.width(); }

    bool unavailable(int s, PanelRole role) const { return !pic.steps[s].mean(role).has_value(); }

    void paintLegend()
    {
        p.setPen(Ink);
        for (int i = 0; i < legendAt.size(); ++i) {
            const LegendItem &item = Legend[i];
            const QPointF at = l.legend.topLeft() + legendAt[i];
            const double mid = at.y() + fm.height() / 2;
            const QRectF swatch(at.x(), mid - 5, SwatchWidth, 10);
            switch (item.swatch) {
            case Swatch::Line:
            case Swatch::DashedLine:
                p.setPen(QPen(item.colour, 2.2, item.swatch == Swatch::Line ? Qt::SolidLine : Qt::DashLine));
                p.drawLine(QPointF(swatch.left(), mid), QPointF(swatch.right(), mid));
                break;
            case Swatch::Bar:
                p.fillRect(swatch.adjusted(6, -1, -6, 1), item.colour);
                break;
            case Swatch::Cloud: {
                QLinearGradient shade(swatch.topLeft(), swatch.topRight());
                shade.setColorAt(0, Qt::white);
                shade.setColorAt(1, item.colour);
                p.setPen(QPen(Missing, 0.8));
                p.setBrush(shade);
                p.drawRect(swatch);
                break;
            }
            case Swatch::Storm:
                paintBolt(p, swatch.center(), 14, item.colour);
                break;
            }
            p.setPen(Ink);
            p.drawText(QPointF(swatch.right() + 6, at.y() + fm.ascent()), meteogramName(item.role));
        }
    }

    // Steps not read yet or without their maps: hatched, so a gap never looks like a value.
    void paintMissing()
    {
        for (int s = 0; s < l.steps(); ++s) {
            if (pic.steps[s].read && pic.steps[s].missing == 0)
                continue;
            for (const QRectF &band : {l.temperature, l.rain})
                p.fillRect(l.columnRect(s, band), QBrush(Missing, Qt::BDiagPattern));
        }
    }

    void paintCloud()
    {
        for (int s = 0; s < l.steps(); ++s) {
            const std::optional<double> cover = pic.steps[s].mean(PanelRole::CloudCover);
            const QRectF cell = l.columnRect(s, l.cloud);
            if (!cover) {
                p.fillRect(cell, QBrush(Missing, Qt::BDiagPattern));
                continue;
            }
            const int v = qBound(0, int(std::lround(255 - 1.3 * qBound(0.0, *cover, 100.0))), 255);
            p.fillRect(cell, QColor(v, v, qMin(255, v + 6)));
        }
        p.setPen(QPen(Missing, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(l.cloud);
        paintCloudGlyph(p, QPointF(l.cloud.left() - 20, l.cloud.center().y()), l.cloud.height());
    }

    // Horizontal grid lines and labels of one axis; the unit turned along the axis.
    void paintAxis(const QRectF &band, const AxisTicks &ticks, const QString &unit, bool right, bool grid)
    {
        QFont small = p.font();
        small.setPointSizeF(small.pointSizeF() * 0.9);
        p.save();
        p.setFont(small);
        const QFontMetricsF sm(small);
        for (double v : ticks.values()) {
            const double y = band.bottom() - ticks.fraction(v) * band.height();
            if (grid) {
                p.setPen(QPen(v == 0 && ticks.low < 0 ? QColor(120, 160, 220) : Grid, 1));
                p.drawLine(QPointF(band.left(), y), QPointF(band.right(), y));
            }
            const QString text = tickText(v, ticks.interval);
            const double w = sm.horizontalAdvance(text);
            p.setPen(Ink);
            p.drawText(QPointF(right ? band.right() + 5 : band.left() - 5 - w, y + sm.ascent() / 2 - 1), text);
        }
        p.translate(right ? band.right() + MeteogramLayout::AxisWidth - 2 : band.left() - MeteogramLayout::AxisWidth + sm.ascent(),
                    band.center().y() + sm.horizontalAdvance(unit) / 2);
        p.rotate(-90);
        p.drawText(QPointF(0, 0), unit);
        p.restore();
    }

    // One quantity as a line broken where it has no value, a dot at every step.
    void paintLine(PanelRole role, const QRectF &band, const AxisTicks &ticks, const QPen &pen)
    {
        QPainterPath path;
        bool open = false;
        QVector<QPointF> dots;
        for (int s = 0; s < l.steps(); ++s) {
            const std::optional<double> v = pic.steps[s].mean(role);
            if (!v) {
                open = false;
                continue;
            }
            const QPointF at(l.centre(s), band.bottom() - ticks.fraction(*v) * band.height());
            open ? path.lineTo(at) : path.moveTo(at);
            open = true;
            dots << at;
        }
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        p.setPen(Qt::NoPen);
        p.setBrush(pen.color());
        const double radius = qBound(1.5, l.column() / 6, 3.0);
        for (const QPointF &dot : dots)
            p.drawEllipse(dot, radius, radius);
    }

    std::optional<std::pair<double, double>> range(std::initializer_list<PanelRole> roles) const
    {
        std::optional<std::pair<double, double>> r;
        for (const MeteogramStep &step : pic.steps) {
            for (PanelRole role : roles) {
                if (const std::optional<double> v = step.mean(role))
                    r = r ? std::pair{qMin(r->first, *v), qMax(r->second, *v)} : std::pair{*v, *v};
            }
        }
        return r;
    }

    void paintTemperature()
    {
        const auto r = range({PanelRole::Temperature, PanelRole::Temperature850}).value_or(std::pair{0.0, 10.0});
        temperatureTicks = roundTicks(r.first - 1, r.second + 1, qMax(2, int(l.temperature.height() / 32)));
        paintAxis(l.temperature, temperatureTicks, QStringLiteral("°C"), false, true);
        p.save();
        p.setClipRect(l.temperature.adjusted(-4, -4, 4, 4));
        paintLine(PanelRole::Temperature850, l.temperature, temperatureTicks, QPen(Temperature850Colour, 2, Qt::DashLine));
        paintLine(PanelRole::Temperature, l.temperature, temperatureTicks, QPen(TemperatureColour, 2.4));
        p.restore();
    }

    void paintRain()
    {
        const int count = qMax(2, int(l.rain.height() / 32));
        rainTicks = roundTicks(0, qMax(1.0, range({PanelRole::Precipitation}).value_or(std::pair{0.0, 0.0}).second), count);
        windTicks = matchingTicks(rainTicks, qMax(10.0, range({PanelRole::Wind}).value_or(std::pair{0.0, 0.0}).second));
        paintAxis(l.rain, rainTicks, msg(Msg::PrecipitationUnit).trimmed(), false, true);
        paintAxis(l.rain, windTicks, msg(Msg::WindUnit).trimmed(), true, false);
        for (int s = 0; s < l.steps(); ++s) {
            const double v = pic.steps[s].mean(PanelRole::Precipitation).value_or(0);
            if (v <= 0)
                continue;
            const double h = rainTicks.fraction(v) * l.rain.height();
            const double w = l.column() * 0.64;
            p.fillRect(QRectF(l.centre(s) - w / 2, l.rain.bottom() - h, w, h), RainColour);
        }
        paintLine(PanelRole::Wind, l.rain, windTicks, QPen(WindColour, 2.2));
        p.setPen(QPen(Ink, 1));
        p.drawLine(l.rain.bottomLeft(), l.rain.bottomRight());
    }

    void paintStorm()
    {
        paintBolt(p, QPointF(l.storm.left() - 20, l.storm.center().y()), l.storm.height(), StormColours[2]);
        for (int s = 0; s < l.steps(); ++s) {
            const int level = stormLevel(pic.steps[s].mean(PanelRole::Storm));
            if (level > 0)
                paintBolt(p, QPointF(l.centre(s), l.storm.center().y()), l.storm.height() * (0.6 + 0.15 * level), StormColours[level]);
        }
    }

    // Day boundaries through every band, the hours under each step and the dates under
    // each day, shortened to what its width holds.
    void paintTime()
    {
        const QDateTime first = pic.times.first();
        const QDate lastDay = pic.times.last().date();
        const QLocale locale;
        for (QDate day = first.addSecs(-3 * 3600).date(); day <= lastDay; day = day.addDays(1)) {
            const double x0 = l.timeX(first, QDateTime(day, QTime(0, 0), Qt::UTC));
            const double x1 = l.timeX(first, QDateTime(day.addDays(1), QTime(0, 0), Qt::UTC));
            if (x0 > l.plot().left() + 1 && x0 < l.plot().right() - 1) {
                p.setPen(QPen(DayLine, 1));
                p.drawLine(QPointF(x0, l.cloud.top()), QPointF(x0, l.days.bottom()));
            }
            const QRectF span(qMax(x0, l.days.left()), l.days.top(), qMin(x1, l.days.right()) - qMax(x0, l.days.left()), l.days.height());
            for (const char *format : {"dddd d MMMM", "ddd d MMM", "ddd d", "d"}) {
                const QString text = locale.toString(day, QString::fromLatin1(format));
                if (fm.horizontalAdvance(text) + 6 <= span.width()) {
                    p.setPen(Ink);
                    p.drawText(span, Qt::AlignCenter, text);
                    break;
                }
            }
        }
        const double labelWidth = fm.horizontalAdvance(QStringLiteral("18") + msg(Msg::HourSuffix)) + 6;
        const int every = l.column() >= labelWidth ? 6 : (2 * l.column() >= labelWidth ? 12 : 0);
        for (int s = 0; s < l.steps(); ++s) {
            const int hour = pic.times[s].time().hour();
            p.setPen(QPen(Ink, 1));
            p.drawLine(QPointF(l.centre(s), l.hours.top()), QPointF(l.centre(s), l.hours.top() + 3));
            if (every == 0 || hour % every != 0)
                continue;
            QFont font = p.font();
            font.setBold(s == pic.selected);
            p.save();
            p.setFont(font);
            p.drawText(QRectF(l.centre(s) - labelWidth, l.hours.top() + 2, 2 * labelWidth, l.hours.height()),
                       Qt::AlignHCenter | Qt::AlignTop, QString::number(hour) + msg(Msg::HourSuffix));
            p.restore();
        }
    }

    void paintHover()
    {
        if (pic.hovered < 0 || pic.hovered >= l.steps())
            return;
        const double x = l.centre(pic.hovered);
        p.setPen(QPen(QColor(60, 60, 60, 160), 1, Qt::DashLine));
        p.drawLine(QPointF(x, l.cloud.top()), QPointF(x, l.storm.bottom()));
        const MeteogramStep &step = pic.steps[pic.hovered];
        const std::tuple<PanelRole, const QRectF *, const AxisTicks *, QColor> dots[] = {
            {PanelRole::Temperature, &l.temperature, &temperatureTicks, TemperatureColour},
            {PanelRole::Temperature850, &l.temperature, &temperatureTicks, Temperature850Colour},
            {PanelRole::Wind, &l.rain, &windTicks, WindColour},
        };
        for (const auto &[role, band, ticks, colour] : dots) {
            if (const std::optional<double> v = step.mean(role)) {
                p.setPen(QPen(Qt::white, 1.5));
                p.setBrush(colour);
                p.drawEllipse(QPointF(x, band->bottom() - ticks->fraction(*v) * band->height()), 4.5, 4.5);
            }
        }
    }

    QPainter &p;
    const QRectF area;
    const MeteogramPicture &pic;
    const QFontMetricsF fm;
    int legendRows = 1;
    const QVector<QPointF> legendAt;
    const MeteogramLayout l;
    AxisTicks temperatureTicks, rainTicks, windTicks;
};

} // namespace

MeteogramLayout meteogramLayout(const QFont &font, const QRectF &area, int steps)
{
    const QFontMetricsF fm(font);
    int rows = 1;
    legendFlow(fm, MeteogramLayout(area, 1, 10, 1).legend.width(), &rows);
    return MeteogramLayout(area, steps, fm.height(), rows);
}

void paintMeteogram(QPainter &painter, const QRectF &area, const MeteogramPicture &picture)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Painting(painter, area, picture).paint();
    painter.restore();
}
