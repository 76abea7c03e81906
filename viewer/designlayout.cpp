#include "viewer/designlayout.h"

#include <QWidget>
#include <algorithm>

DesignLayout::DesignLayout(QWidget *container, QSize designSize)
    : QLayout(container), m_designSize(designSize)
{
    setContentsMargins(0, 0, 0, 0);
    setSizeConstraint(QLayout::SetNoConstraint);  // the container keeps the size it is given
}

DesignLayout::~DesignLayout()
{
    for (const Entry &e : std::as_const(m_items))
        delete e.item;
}

void DesignLayout::place(QWidget *widget, const QRect &rect, int anchors)
{
    addChildWidget(widget);
    m_items.append({new QWidgetItem(widget), rect, anchors});
    apply(m_items.last());  // in place at once, before any layout pass
}

void DesignLayout::moveTo(QWidget *widget, QPoint topLeft)
{
    if (Entry *e = find(widget)) {
        e->rect.moveTopLeft(topLeft);
        apply(*e);
    }
}

void DesignLayout::setWidth(QWidget *widget, int width)
{
    if (Entry *e = find(widget)) {
        e->rect.setWidth(width);
        apply(*e);
    }
}

void DesignLayout::apply(const Entry &e)
{
    e.item->widget()->setGeometry(placeFor(e, geometry().size() - m_designSize));
}

QRect DesignLayout::placeOf(const QWidget *widget) const
{
    const Entry *e = find(widget);
    return e ? placeFor(*e, geometry().size() - m_designSize) : QRect();
}

void DesignLayout::addItem(QLayoutItem *item)
{
    m_items.append({item, QRect(QPoint(), item->sizeHint()), Fixed});
}

QLayoutItem *DesignLayout::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items[index].item : nullptr;
}

QLayoutItem *DesignLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    return m_items.takeAt(index).item;
}

// Hidden widgets are placed too: a frame shown later is already where it belongs.
void DesignLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    const QSize extra = (rect.size() - m_designSize).expandedTo(QSize(0, 0));
    for (const Entry &e : std::as_const(m_items)) {
        if (QWidget *w = e.item->widget())
            w->setGeometry(placeFor(e, extra));
    }
}

QRect DesignLayout::placeFor(const Entry &e, QSize extra) const
{
    extra = extra.expandedTo(QSize(0, 0));
    QRect r = e.rect;
    if (e.anchors & FollowRight)
        r.translate(extra.width(), 0);
    if (e.anchors & FollowBottom)
        r.translate(0, extra.height());
    if (e.anchors & GrowWidth)
        r.setWidth(r.width() + extra.width());
    if (e.anchors & GrowHeight)
        r.setHeight(r.height() + extra.height());
    const QWidget *w = e.item->widget();
    if (w && (e.anchors & FitText))
        r.setWidth(std::max(r.width(), w->sizeHint().width() + 6));
    if (w && (e.anchors & CentreOnRect)) {
        QRect centred(QPoint(), w->sizeHint());
        centred.moveCenter(r.center());
        r = centred;
    }
    return r;
}

DesignLayout::Entry *DesignLayout::find(const QWidget *widget)
{
    return const_cast<Entry *>(std::as_const(*this).find(widget));
}

const DesignLayout::Entry *DesignLayout::find(const QWidget *widget) const
{
    for (const Entry &e : m_items) {
        if (e.item->widget() == widget)
            return &e;
    }
    return nullptr;
}
