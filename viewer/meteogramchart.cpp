#include "viewer/meteogramchart.h"

#include "viewer/meteogramlayout.h"

#include <QMouseEvent>
#include <QPainter>

MeteogramChart::MeteogramChart(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("meteogramChart"));
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setCursor(Qt::CrossCursor);
}

void MeteogramChart::setSteps(const QVector<MeteogramStep> &steps, const QVector<QDateTime> &times)
{
    m_picture.steps = steps;
    m_picture.times = times;
    if (m_picture.hovered >= steps.size())
        m_picture.hovered = -1;
    update();
}

void MeteogramChart::setSelectedStep(int step)
{
    if (m_picture.selected == step)
        return;
    m_picture.selected = step;
    update();
}

int MeteogramChart::stepAt(QPointF point) const
{
    return meteogramLayout(font(), rect(), int(m_picture.steps.size())).stepAt(point.x());
}

QImage MeteogramChart::render() const
{
    QImage image(size() * devicePixelRatio(), QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio());
    QPainter painter(&image);
    painter.setFont(font());
    paintMeteogram(painter, rect(), m_picture);
    return image;
}

void MeteogramChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintMeteogram(painter, rect(), m_picture);
}

void MeteogramChart::mouseMoveEvent(QMouseEvent *event)
{
    hover(stepAt(event->position()));
}

void MeteogramChart::mouseReleaseEvent(QMouseEvent *event)
{
    const int step = stepAt(event->position());
    if (event->button() == Qt::LeftButton && step >= 0)
        Q_EMIT clicked(step);
}

void MeteogramChart::leaveEvent(QEvent *)
{
    hover(-1);
}

void MeteogramChart::hover(int step)
{
    if (m_picture.hovered == step)
        return;
    m_picture.hovered = step;
    update();
    Q_EMIT hovered(step);
}
