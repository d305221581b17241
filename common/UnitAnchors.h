#pragma once

#include <QFlags>
#include <QLayout>
#include <QList>
#include <QRect>
#include <QSize>

// Places widgets at their 96-dpi design rectangles and keeps them there the
// way anchored controls behave: an edge anchored to the parent keeps its
// distance to that edge; anchored on both sides, the control stretches.
class TAnchorLayout : public QLayout {
public:
    enum TAnchor {
        AkLeft = 0x1,
        AkTop = 0x2,
        AkRight = 0x4,
        AkBottom = 0x8,
    };
    Q_DECLARE_FLAGS(TAnchors, TAnchor)

    enum class TAlign { None, Top, Bottom };

    // designClient is the client size the rectangles were designed for.
    TAnchorLayout(QWidget* parent, QSize designClient);
    ~TAnchorLayout() override;

    void Place(QWidget* widget, QRect design, TAnchors anchors);
    // Full width, fixed height, stuck to the top or bottom edge.
    void Align(QWidget* widget, TAlign align, int height);

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    struct TEntry {
        QLayoutItem* Item;
        QRect Design;
        TAnchors Anchors;
        TAlign Align;
    };

    QRect Compute(const TEntry& entry, QSize client) const;

    QSize FDesign;
    QList<TEntry> FEntries;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TAnchorLayout::TAnchors)
