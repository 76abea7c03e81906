#include "viewer/windowicon.h"

#include <QPainter>
#include <QPixmap>

QIcon cartaventIcon()
{
    QPixmap pix(16, 16);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0, 128), 1));
    p.setBrush(QColor(0, 128, 255));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(Qt::white, 1.5));
    p.drawArc(QRectF(3, 5, 10, 6), 0, 180 * 16);
    return QIcon(pix);
}
