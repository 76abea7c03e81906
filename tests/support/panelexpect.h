#pragma once
// What a point-forecast panel should show, worked out apart from the panel tables.
#include "tests/support/formharness.h"

#include "forecast/geometry.h"
#include "forecast/legends.h"

#include <QImage>
#include <QLocale>
#include <cmath>

// How a quantity is read, written out independently of the panel tables: the mean of the
// decodable samples of a 7 x 7 grid around the place.
struct Quantity {
    const char *key;
    Decoded (*decode)(qint32);
    bool domain2;
    int spacing;
};

inline QString expectedText(DemoMapServer &server, const Quantity &q, int step, bool floatSum, const QString &unit)
{
    const QImage map = QImage::fromData(server.mapBytes(FormHarness::mapPath(q.key, step)));
    float x = 4000, y = 4000;
    if (q.domain2)
        ConvertD1TOD2(4000, 4000, x, y);
    float fsum = 0;
    double dsum = 0;
    int count = 0;
    for (int i = -3; i <= 3; ++i) {
        for (int j = -3; j <= 3; ++j) {
            const int px = int(std::floor(x / 15.0f + float(i * q.spacing)));
            const int py = int(std::floor(y / 15.0f + float(j * q.spacing)));
            const QRgb c = map.valid(px, py) ? map.pixel(px, py) : 0;
            const Decoded d = q.decode(map.valid(px, py) ? qint32(qRed(c) | qGreen(c) << 8 | qBlue(c) << 16) : -1);
            if (d.isNoMatch())
                continue;
            ++count;
            fsum = float(double(fsum) + d.sumValue());
            dsum += d.sumValue();
        }
    }
    const int decimals = unit.endsWith(u'%') ? 0 : 1;  // the cloud cover is a whole percentage
    return count == 0 ? QString() : QLocale().toString((floatSum ? double(fsum) : dsum) / count, 'f', decimals) + unit;
}

