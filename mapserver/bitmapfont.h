#pragma once
// A small 5 x 7 pixel font drawn pixel by pixel: crisp, one exact colour, no font
// machinery (so maps can be painted in any thread).
#include <QImage>
#include <QString>

namespace BitmapFont {
// Width in pixels of text drawn at scale (1 = 5 x 7 glyphs, 6 pixels apart).
int textWidth(const QString &text, int scale = 1);
constexpr int glyphHeight = 7;
// Draws text with its top-left corner at (x, y) (accents go above); letters without a glyph are drawn in
// upper case, unknown characters as blanks.
void drawText(QImage &image, int x, int y, const QString &text, QRgb colour, int scale = 1);
}
