#pragma once

#include <QProxyStyle>

// The application's own style, with the pictures a control is given before
// it is ever shown made on first use: every menu bar builds a hidden button
// for the items it cannot fit, and that button's arrow alone, read eagerly,
// loads every image format plugin of the system.
class TLazyIconStyle : public QProxyStyle {
    Q_OBJECT

public:
    // Wraps the style the application would use by itself.
    explicit TLazyIconStyle(const QString& baseKey);

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
        const QWidget* widget = nullptr) const override;
};
