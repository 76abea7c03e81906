#include "viewer/picturebox.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    ensureCanvas();
}

void PictureBox::setBackColor(const QColor &color)
{
    m_backColor = color;
    clearCanvas();
}

void PictureBox::settlePicture() const
{
    if (!m_pictureOwed)
        return;
    m_pictureOwed = false;
    if (m_picture.size() == m_owedSize && m_picture.format() == QImage::Format_RGB32) {
        m_canvas = m_picture;  // opaque and the whole canvas: drawn, it would be the same pixels
        return;
    }
    m_canvas = QImage(m_owedSize, QImage::Format_RGB32);
    m_canvas.fill(m_backColor);
    if (!m_picture.isNull())
        QPainter(&m_canvas).drawImage(0, 0, m_picture);
}

void PictureBox::ensureCanvas()
{
    settlePicture();
    const QSize want = size().expandedTo(QSize(1, 1));
    if (m_canvas.size() == want)
        return;
    QImage grown(want, QImage::Format_RGB32);
    grown.fill(m_backColor);
    if (!m_canvas.isNull()) {
        QPainter p(&grown);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, m_canvas);
    }
    m_canvas = grown;
}

void PictureBox::setPicture(const QImage &picture)
{
    m_picture = picture;
    if (m_autoSize && !picture.isNull())
        resize(picture.size());
    m_owedSize = size().expandedTo(QSize(1, 1));
    m_pictureOwed = true;
    m_printPos = QPoint();
    update();
}

void PictureBox::paintPicture(const QImage &image, const QRect &dest)
{
    ensureCanvas();
    if (image.isNull() || dest.isEmpty())
        return;
    QPainter p(&m_canvas);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(dest, image);
    update();
}

void PictureBox::paintPictureRegion(const QImage &image, QPoint dest, const QRect &src)
{
    ensureCanvas();
    if (image.isNull() || src.isEmpty())
        return;
    QPainter p(&m_canvas);
    p.drawImage(dest, image, src);
    update();
}

void PictureBox::drawRectOutline(const QRect &rect, const QColor &color)
{
    ensureCanvas();
    if (rect.isEmpty())
        return;
    // Four one-pixel bands: exact at any size, a 1 x 1 rectangle included.
    QPainter p(&m_canvas);
    p.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), color);
    p.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), color);
    p.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), color);
    p.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), color);
    update();
}

void PictureBox::printText(const QString &text)
{
    ensureCanvas();
    const QFontMetrics metrics(font());
    QPainter p(&m_canvas);
    p.setFont(font());
    p.setPen(m_foreColor);
    p.drawText(m_printPos.x(), m_printPos.y() + metrics.ascent(), text);
    m_printPos = QPoint(0, m_printPos.y() + metrics.height());
    update();
}

void PictureBox::clearCanvas()
{
    m_pictureOwed = false;  // about to be covered
    ensureCanvas();
    m_canvas.fill(m_backColor);
    m_printPos = QPoint();
    update();
}

void PictureBox::showPicture(const QImage &image, const QRect &dest)
{
    m_pictureOwed = false;
    ensureCanvas();
    m_printPos = QPoint();
    const QRect covered = image.isNull() ? QRect() : dest.intersected(m_canvas.rect());
    if (covered.isEmpty() || image.hasAlphaChannel()) {  // what shows through must be the back colour
        clearCanvas();
        paintPicture(image, dest);
        return;
    }
    // The bands above, below, left and right of the map.
    const QRect all = m_canvas.rect();
    QPainter p(&m_canvas);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(QRect(all.left(), all.top(), all.width(), covered.top() - all.top()), m_backColor);
    p.fillRect(QRect(all.left(), covered.bottom() + 1, all.width(), all.bottom() - covered.bottom()), m_backColor);
    p.fillRect(QRect(all.left(), covered.top(), covered.left() - all.left(), covered.height()), m_backColor);
    p.fillRect(QRect(covered.right() + 1, covered.top(), all.right() - covered.right(), covered.height()), m_backColor);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(dest, image);
    update();
}

qint32 PictureBox::Point(int x, int y)
{
    ensureCanvas();
    if (x < 0 || y < 0 || x >= width() || y >= height())
        return -1;
    const QRgb c = m_canvas.pixel(x, y);
    return qint32(qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16));
}

qint32 PictureBox::pointTwips(float x, float y)
{
    return Point(int(std::floor(x / TwipsPerPixel)), int(std::floor(y / TwipsPerPixel)));
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    ensureCanvas();
    QPainter p(this);
    p.drawImage(event->rect(), m_canvas, event->rect());
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ensureCanvas();
    Q_EMIT resized(size());
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    Q_EMIT mousePressed(event->button(), event->position());
}

void PictureBox::wheelEvent(QWheelEvent *event)
{
    Q_EMIT wheelTurned(event->angleDelta().y(), event->position());
    event->accept();
}

void PictureBox::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    Q_EMIT pointerLeft();
}

void PictureBox::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF pos = event->position() * TwipsPerPixel;
    Q_EMIT mouseMoved(event->buttons(), event->modifiers(), float(pos.x()), float(pos.y()));
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    const QPointF pos = event->position() * TwipsPerPixel;
    Q_EMIT mouseReleased(event->button(), event->modifiers(), float(pos.x()), float(pos.y()));
}

void PictureBox::dim()
{
    ensureCanvas();
    QPainter painter(&m_canvas);
    painter.fillRect(m_canvas.rect(), QColor(0, 0, 0, 128));
    update();
}
