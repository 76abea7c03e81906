#pragma once
// A picture box: a widget that keeps what is drawn on it. Drawing goes into a canvas the
// size of the widget, which paintEvent shows; colour queries read that canvas, so they see
// exactly what the user sees (child widgets aside).
#include "shell/twips.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QWidget>

class PictureBox : public QWidget {
    Q_OBJECT
public:
    static constexpr int TwipsPerPixel = ::TwipsPerPixel;

    explicit PictureBox(QWidget *parent = nullptr);

    void setBackColor(const QColor &color);
    QColor backColor() const { return m_backColor; }
    void setForeColor(const QColor &color) { m_foreColor = color; }
    QColor foreColor() const { return m_foreColor; }

    // With autosize on, putting a picture in resizes the widget to the picture.
    void setAutoSize(bool on) { m_autoSize = on; }
    bool autoSize() const { return m_autoSize; }

    // The picture held. The canvas is cleared and the picture drawn at its top-left corner,
    // so Point() on a hidden holder reads the picture itself.
    void setPicture(const QImage &picture);
    QImage picture() const { return m_picture; }

    // Stretches the whole image into dest (pixels), plain copy without smoothing.
    void paintPicture(const QImage &image, const QRect &dest);
    // Copies src of the image unscaled, its top-left corner landing at dest (pixels).
    void paintPictureRegion(const QImage &image, QPoint dest, const QRect &src);
    // One-pixel outline along the border pixels of rect.
    void drawRectOutline(const QRect &rect, const QColor &color);
    // Writes a line of text at the print position and moves that position to the next line.
    void printText(const QString &text);
    QPoint printPosition() const { return m_printPos; }
    void setPrintPosition(QPoint pixels) { m_printPos = pixels; }
    // Fills the canvas with the back colour and puts the print position home.
    void clearCanvas();
    // clearCanvas then paintPicture, filling only what dest leaves uncovered.
    void showPicture(const QImage &image, const QRect &dest);
    // Darkens what is drawn by half, so it reads as a picture in the background.
    void dim();

    // Colour at a pixel as 0x00BBGGRR (red in the low byte), -1 outside the box.
    qint32 Point(int x, int y);
    // The same for a position in twips of the box.
    qint32 pointTwips(float x, float y);

    QImage canvas() const
    {
        settlePicture();
        return m_canvas;
    }

Q_SIGNALS:
    // Positions in twips of the box (pixels x 15).
    void mouseMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, float x, float y);
    void mouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, float x, float y);
    // In pixels of the box.
    void mousePressed(Qt::MouseButton button, QPointF pixel);
    void wheelTurned(int angleDelta, QPointF pixel);  // eighths of a degree, positive away from the user
    void pointerLeft();
    void resized(QSize size);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    // A hidden widget gets no resize event until shown: size the canvas on every use.
    void ensureCanvas();
    // Hidden holders are mostly never read: setPicture draws on first use of the canvas.
    void settlePicture() const;

    mutable QImage m_canvas;
    mutable bool m_pictureOwed = false;
    QSize m_owedSize;  // the canvas size when the picture was put in
    QImage m_picture;
    QColor m_backColor = Qt::white;
    QColor m_foreColor = Qt::black;
    QPoint m_printPos;
    bool m_autoSize = false;
};
