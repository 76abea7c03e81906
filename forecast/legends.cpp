#include "forecast/legends.h"

#include <cstring>

namespace {

// The shared ramp of five legends, in legend order.
constexpr int kRamp[34][3] = {
    {100, 0, 100}, {150, 0, 150}, {200, 0, 200}, {250, 0, 254}, {200, 0, 254},
    {150, 0, 254}, {100, 0, 254}, {50, 0, 254},  {0, 50, 254},  {0, 100, 254},
    {0, 150, 254}, {0, 200, 254}, {0, 230, 240}, {0, 230, 160}, {0, 230, 120},
    {0, 230, 80},  {0, 240, 40},  {0, 250, 0},   {254, 254, 0}, {254, 225, 0},
    {254, 200, 0}, {254, 175, 0}, {254, 150, 0}, {230, 125, 0}, {230, 100, 0},
    {220, 75, 30}, {200, 50, 30}, {180, 25, 30}, {170, 0, 30},  {180, 0, 50},
    {200, 0, 100}, {254, 0, 150}, {254, 0, 200}, {254, 0, 225},
};

struct PrecRow {
    int r, g, b;
    double value;
};

constexpr PrecRow kPrec[16] = {
    {255, 255, 255, 0},  {0, 254, 150, 0.1}, {0, 254, 200, 0.2}, {0, 254, 254, 0.5},
    {0, 200, 254, 1},    {0, 150, 254, 2},   {0, 100, 254, 5},   {0, 50, 254, 10},
    {50, 0, 254, 15},    {100, 0, 254, 20},  {150, 0, 254, 25},  {200, 0, 254, 30},
    {250, 0, 254, 35},   {200, 0, 200, 40},  {150, 0, 150, 45},  {100, 0, 100, 50},
};

void appendRamp(QVector<int> &colors, int first, int last)
{
    for (int i = first; i <= last; ++i)
        colors << kRamp[i][0] << kRamp[i][1] << kRamp[i][2];
}

void appendSteps(QVector<double> &values, int from, int to, int step)
{
    for (int v = from; v <= to; v += step)
        values << v;
}

// Index of the first entry whose colour equals the pixel's exactly, or -1.
// The split truncates toward zero like the maps' own arithmetic, so a negative
// colour yields a negative component and never matches.
int findEntry(const QVector<int> &colors, qint32 color)
{
    const int r = color % 256;
    const int g = (color / 256) % 256;
    const int b = (color / 65536) % 256;
    const int n = int(colors.size()) / 3;
    for (int i = 0; i < n; ++i) {
        if (colors[3 * i] == r && colors[3 * i + 1] == g && colors[3 * i + 2] == b)
            return i;
    }
    return -1;
}

Decoded lookup(const QVector<int> &colors, const QVector<double> &values, qint32 color)
{
    const int i = findEntry(colors, color);
    return i < 0 ? Decoded::noMatch() : Decoded::number(values[i]);
}

} // namespace

Legends::Legends()
{
    appendRamp(TempColors, 0, 30);
    appendSteps(TempValues, -45, 45, 3);

    appendRamp(P850Colors, 0, 32);
    appendSteps(P850Values, -36, 28, 2);

    appendRamp(P500Colors, 0, 30);
    appendSteps(P500Values, 480, 600, 4);

    appendRamp(OragColors, 9, 30);
    OragValues << 0 << 10 << 50;
    appendSteps(OragValues, 100, 1500, 100);
    appendSteps(OragValues, 1750, 2500, 250);

    appendRamp(VentColors, 5, 30);
    appendSteps(VentValues, 0, 50, 2);

    for (const PrecRow &row : kPrec) {
        PrecColors << row.r << row.g << row.b;
        PrecValues << row.value;
    }

    for (int k = 0; k < 24; ++k) {
        const int grey = 20 + 10 * k;
        NebuColors << grey << grey << grey;
        NebuValues << (k == 0 ? 0 : 4 * k + 4);
    }
}

const Legends &Legends::instance()
{
    static const Legends legends;
    return legends;
}

Decoded Legends::GetTemp(qint32 color) const
{
    Decoded d = lookup(TempColors, TempValues, color);
    if (d.kind == Decoded::Number)
        d.value += 1;
    return d;
}

Decoded Legends::GetVent(qint32 color) const
{
    Decoded d = lookup(VentColors, VentValues, color);
    if (d.kind == Decoded::Number)
        d.value *= 1.87;
    return d;
}

Decoded Legends::GetOrag(qint32 color) const { return lookup(OragColors, OragValues, color); }
Decoded Legends::GetNebu(qint32 color) const { return lookup(NebuColors, NebuValues, color); }
Decoded Legends::GetP850(qint32 color) const { return lookup(P850Colors, P850Values, color); }
Decoded Legends::GetP500(qint32 color) const { return lookup(P500Colors, P500Values, color); }

Decoded Legends::GetPrec(qint32 color) const
{
    const Decoded d = lookup(PrecColors, PrecValues, color);
    return d.isNoMatch() ? Decoded::empty() : d;
}

QVector<LegendEntry> Legends::entries(const char *kindKey) const
{
    struct Table {
        const char *key;
        const QVector<int> *colors;
        const QVector<double> *values;
    };
    const Table tables[] = {
        {"temp", &TempColors, &TempValues}, {"prec", &PrecColors, &PrecValues},
        {"nebu", &NebuColors, &NebuValues}, {"p850", &P850Colors, &P850Values},
        {"orag", &OragColors, &OragValues}, {"p500", &P500Colors, &P500Values},
        {"vent", &VentColors, &VentValues},
    };
    QVector<LegendEntry> out;
    if (!kindKey)
        return out;
    for (const Table &t : tables) {
        if (std::strcmp(t.key, kindKey) != 0)
            continue;
        for (int i = 0; i < t.values->size(); ++i)
            out.push_back({(*t.colors)[3 * i], (*t.colors)[3 * i + 1], (*t.colors)[3 * i + 2], (*t.values)[i]});
        break;
    }
    return out;
}
