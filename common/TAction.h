#pragma once

#include <QAction>
#include <QString>

class TImageList;

// An action with a "short|long" hint, a picture index and a category.
class TAction : public QAction {
    Q_OBJECT

public:
    TAction(QObject* manager, const QString& caption, const QString& hint, int imageIndex,
        const QString& category, const TImageList* images);

    const QString& Hint() const { return FHint; }
    int ImageIndex() const { return FImageIndex; }
    const QString& Category() const { return FCategory; }

private:
    QString FHint;
    int FImageIndex;
    QString FCategory;
};
