#pragma once
// The seven colour legends and their decoders. A colour is 0x00BBGGRR as a signed
// 32-bit number (red in bits 0-7), -1 outside a picture.
#include <QVector>
#include <QtGlobal>

// What a decoder returns: a number, the no-match marker -999, or (GetPrec only) empty.
struct Decoded {
    enum Kind { Number, NoMatch, Empty };
    Kind kind = NoMatch;
    double value = -999;

    static Decoded number(double v) { return {Number, v}; }
    static Decoded noMatch() { return {NoMatch, -999}; }
    static Decoded empty() { return {Empty, 0}; }
    bool isNoMatch() const { return kind == NoMatch; }
    bool isEmpty() const { return kind == Empty; }
    // What the value adds to a sum: empty counts as 0.
    double sumValue() const { return kind == Number ? value : 0.0; }
};

struct LegendEntry {
    int r, g, b;
    double value;  // as stored in the value list (GetTemp adds 1, GetVent multiplies by 1.87)
};

class Legends {
public:
    // Built once; the fourteen lists never change afterwards.
    static const Legends &instance();

    QVector<int> TempColors, P850Colors, P500Colors, OragColors, VentColors, PrecColors, NebuColors;
    QVector<double> TempValues, P850Values, P500Values, OragValues, VentValues, PrecValues, NebuValues;

    Decoded GetTemp(qint32 color) const;
    Decoded GetVent(qint32 color) const;
    Decoded GetOrag(qint32 color) const;
    Decoded GetNebu(qint32 color) const;
    Decoded GetPrec(qint32 color) const;
    Decoded GetP850(qint32 color) const;
    Decoded GetP500(qint32 color) const;

    // Entries of a kind's legend in order, by kind key ("temp", "prec", ...); empty when unknown.
    QVector<LegendEntry> entries(const char *kindKey) const;

private:
    Legends();
};

// Shorthands on the one instance.
inline Decoded GetTemp(qint32 c) { return Legends::instance().GetTemp(c); }
inline Decoded GetVent(qint32 c) { return Legends::instance().GetVent(c); }
inline Decoded GetOrag(qint32 c) { return Legends::instance().GetOrag(c); }
inline Decoded GetNebu(qint32 c) { return Legends::instance().GetNebu(c); }
inline Decoded GetPrec(qint32 c) { return Legends::instance().GetPrec(c); }
inline Decoded GetP850(qint32 c) { return Legends::instance().GetP850(c); }
inline Decoded GetP500(qint32 c) { return Legends::instance().GetP500(c); }
