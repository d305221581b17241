#include "common/UnitAnchors.h"

#include <QWidget>
#include <QWidgetItem>

TAnchorLayout::TAnchorLayout(QWidget* parent, QSize designClient)
    : QLayout(parent), FDesign(designClient)
{
    setContentsMargins(0, 0, 0, 0);
    setSizeConstraint(QLayout::SetNoConstraint);
}

TAnchorLayout::~TAnchorLayout()
{
    for (const TEntry& entry : FEntries) {
        delete entry.Item;
    }
}

void TAnchorLayout::Place(QWidget* widget, QRect design, TAnchors anchors)
{
    addChildWidget(widget);
    FEntries.append({ new QWidgetItem(widget), design, anchors, TAlign::None });
    widget->setGeometry(design);
    invalidate();
}

void TAnchorLayout::Align(QWidget* widget, TAlign align, int height)
{
    addChildWidget(widget);
    const int top = align == TAlign::Top ? 0 : FDesign.height() - height;
    FEntries.append({ new QWidgetItem(widget), QRect(0, top, FDesign.width(), height), {}, align });
    widget->setGeometry(FEntries.constLast().Design);
    invalidate();
}

void TAnchorLayout::addItem(QLayoutItem* item)
{
    FEntries.append({ item, item->geometry(), AkLeft | AkTop, TAlign::None });
}

QLayoutItem* TAnchorLayout::itemAt(int index) const
{
    return index >= 0 && index < FEntries.size() ? FEntries.at(index).Item : nullptr;
}

QLayoutItem* TAnchorLayout::takeAt(int index)
{
    if (index < 0 || index >= FEntries.size()) {
        return nullptr;
    }
    return FEntries.takeAt(index).Item;
}

int TAnchorLayout::count() const { return static_cast<int>(FEntries.size()); }

QSize TAnchorLayout::sizeHint() const { return FDesign; }

QSize TAnchorLayout::minimumSize() const { return { 0, 0 }; }

QRect TAnchorLayout::Compute(const TEntry& entry, QSize client) const
{
    const QRect& d = entry.Design;
    if (entry.Align == TAlign::Top) {
        return { 0, 0, client.width(), d.height() };
    }
    if (entry.Align == TAlign::Bottom) {
        return { 0, client.height() - d.height(), client.width(), d.height() };
    }
    const int dx = client.width() - FDesign.width();
    const int dy = client.height() - FDesign.height();
    QRect r = d;
    if (entry.Anchors & AkRight) {
        if (entry.Anchors & AkLeft) {
            r.setWidth(d.width() + dx);
        } else {
            r.moveLeft(d.left() + dx);
        }
    }
    if (entry.Anchors & AkBottom) {
        if (entry.Anchors & AkTop) {
            r.setHeight(d.height() + dy);
        } else {
            r.moveTop(d.top() + dy);
        }
    }
    return r;
}

void TAnchorLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    for (const TEntry& entry : FEntries) {
        const QRect target = Compute(entry, rect.size()).translated(rect.topLeft());
        // Straight to the widget: the item would bend the rectangle to size policies.
        if (QWidget* widget = entry.Item->widget()) {
            widget->setGeometry(target);
        } else {
            entry.Item->setGeometry(target);
        }
    }
}
