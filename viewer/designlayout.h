#pragma once
// A layout that keeps each widget at its place of the design while the container has its
// design size, and shares out extra room by anchors: a widget grows with the container or
// follows its right or bottom edge. Every control of the window is placed by one of these.
#include <QLayout>
#include <QList>
#include <QRect>

class DesignLayout : public QLayout {
    Q_OBJECT
public:
    enum Anchor {
        Fixed = 0,
        GrowWidth = 1,      // takes the extra width
        GrowHeight = 2,     // takes the extra height
        FollowRight = 4,    // moves with the right edge
        FollowBottom = 8,   // moves with the bottom edge
        CentreOnRect = 16,  // its own size hint, centred in its rectangle
        FitText = 32,       // as wide as its text needs, the design width at least
    };

    DesignLayout(QWidget *container, QSize designSize);
    ~DesignLayout() override;

    // rect in pixels at the design size; anchors as above.
    void place(QWidget *widget, const QRect &rect, int anchors = Fixed);
    // Moves a placed widget's rectangle (the value box follows the pointer).
    void moveTo(QWidget *widget, QPoint topLeft);
    // Changes a placed widget's width (the progress fill).
    void setWidth(QWidget *widget, int width);
    // Where the widget goes at the current size (also while it is hidden).
    QRect placeOf(const QWidget *widget) const;

    void addItem(QLayoutItem *item) override;
    int count() const override { return int(m_items.size()); }
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    QSize sizeHint() const override { return m_designSize; }
    QSize minimumSize() const override { return m_designSize; }
    void setGeometry(const QRect &rect) override;

private:
    struct Entry {
        QLayoutItem *item;
        QRect rect;
        int anchors;
    };
    QRect placeFor(const Entry &entry, QSize extra) const;
    Entry *find(const QWidget *widget);
    const Entry *find(const QWidget *widget) const;
    void apply(const Entry &entry);

    QSize m_designSize;
    QList<Entry> m_items;
};
