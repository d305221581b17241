#include "common/TLazyIconStyle.h"

#include <optional>

#include <QPointer>
#include <QStyleOption>

#include "common/TLazyIconEngine.h"

TLazyIconStyle::TLazyIconStyle(const QString& baseKey) : QProxyStyle(baseKey) {}

QIcon TLazyIconStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option, const QWidget* widget) const
{
    if (standardIcon != SP_ToolBarHorizontalExtensionButton && standardIcon != SP_ToolBarVerticalExtensionButton) {
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    }
    // The request as it was made: the option is the caller's and the widget may go.
    std::optional<QStyleOption> asked;
    if (option) {
        asked = *option;
    }
    const QPointer<QStyle> base(baseStyle());
    const QPointer<QWidget> owner(const_cast<QWidget*>(widget));
    const bool hadOwner = widget != nullptr;
    return LazyIcon([base, standardIcon, asked, owner, hadOwner] {
        if (!base || (hadOwner && !owner)) {
            return QIcon();
        }
        return base->standardIcon(standardIcon, asked ? &*asked : nullptr, owner.data());
    });
}
