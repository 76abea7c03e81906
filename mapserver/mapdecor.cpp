#include "mapserver/mapdecor.h"

#include "mapserver/bitmapfont.h"
#include "mapserver/maplayout.h"

#include <QPainter>

void drawCaption(QImage &image, const MapCaption &caption)
{
    BitmapFont::drawText(image, 6, 6, caption.title, MapLayout::ink, 2);
    const int right = image.width() - 6;
    BitmapFont::drawText(image, right - BitmapFont::textWidth(caption.line1), 4, caption.line1, MapLayout::ink);
    BitmapFont::drawText(image, right - BitmapFont::textWidth(caption.line2), 14, caption.line2, MapLayout::ink);
}

void drawFieldFrame(QImage &image, const QRect &field)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor::fromRgb(MapLayout::ink));
    p.setBrush(Qt::NoBrush);
    // One pixel outside the field on every side.
    p.drawRect(field.adjusted(-1, -1, 0, 0));
}

void drawLegendStrip(QImage &image, const QPoint &origin, const LegendScale &scale, const QString &unit)
{
    const int n = scale.size();
    if (n == 0)
        return;
    BitmapFont::drawText(image, origin.x() + 1, origin.y() - 11, unit, MapLayout::ink);
    for (int i = 0; i < n; ++i) {
        const int top = origin.y() + i * MapLayout::legendHeight / n;
        const int bottom = origin.y() + (i + 1) * MapLayout::legendHeight / n;
        for (int y = top; y < bottom; ++y) {
            QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < MapLayout::legendSwatchWidth; ++x)
                line[origin.x() + x] = scale.colour(i);
        }
        const int labelTop = top + (bottom - top - BitmapFont::glyphHeight) / 2;
        BitmapFont::drawText(image, origin.x() + MapLayout::legendSwatchWidth + 2, labelTop, scale.label(i),
                             MapLayout::ink);
    }
}

void drawSidePanel(QImage &image, int left)
{
    const int bottom = image.height() - 14;
    BitmapFont::drawText(image, left, bottom - 20, QStringLiteral("CARTAVENT"), MapLayout::ink);
    BitmapFont::drawText(image, left, bottom - 10, QStringLiteral("CARTES DE"), MapLayout::ink);
    BitmapFont::drawText(image, left, bottom, QStringLiteral("DÉMO"), MapLayout::ink);
}
