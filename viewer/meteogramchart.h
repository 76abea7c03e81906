#pragma once
// The meteogram as a widget: it paints the picture at its size, follows the pointer to the
// nearest step and reports a click on a step.
#include "viewer/meteogrampainter.h"

#include <QWidget>

class MeteogramChart : public QWidget {
    Q_OBJECT
public:
    explicit MeteogramChart(QWidget *parent = nullptr);

    void setSteps(const QVector<MeteogramStep> &steps, const QVector<QDateTime> &times);
    void setSelectedStep(int step);
    const MeteogramPicture &picture() const { return m_picture; }
    int hoveredStep() const { return m_picture.hovered; }
    // The step nearest to a point of the widget; -1 without steps.
    int stepAt(QPointF point) const;
    // The drawing at the widget's size, as it shows.
    QImage render() const;

    QSize sizeHint() const override { return {860, 470}; }
    QSize minimumSizeHint() const override { return {420, 300}; }

Q_SIGNALS:
    void hovered(int step);  // -1: the pointer left
    void clicked(int step);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void hover(int step);

    MeteogramPicture m_picture;
};
