#include "common/TImageList.h"

#include "common/TLazyIconEngine.h"

TImageList::TImageList(QObject* parent, const QStringList& resourcePaths) : QObject(parent)
{
    for (const QString& path : resourcePaths) {
        FIcons.append(LazyPngIcon(path));
    }
}

QIcon TImageList::Icon(int index) const
{
    return index >= 0 && index < FIcons.size() ? FIcons.at(index) : QIcon();
}
