#include "common/TAction.h"

#include "common/TImageList.h"
#include "core/HintText.h"

TAction::TAction(QObject* manager, const QString& caption, const QString& hint, int imageIndex,
    const QString& category, const TImageList* images)
    : QAction(caption, manager), FHint(hint), FImageIndex(imageIndex), FCategory(category)
{
    const std::u16string text = hint.toStdU16String();
    setToolTip(hint.isEmpty() ? QString() : QString::fromStdU16String(ShortHint(text)));
    setStatusTip(QString::fromStdU16String(LongHint(text)));
    if (images && imageIndex >= 0) {
        setIcon(images->Icon(imageIndex));
    }
}
