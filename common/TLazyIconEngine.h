#pragma once

#include <functional>

#include <QIcon>
#include <QIconEngine>
#include <QString>

// An icon whose pictures are made only when something first asks for their
// pixels, their sizes or whether there are any. A window that is never drawn,
// or a menu that is never opened, never decodes its pictures.
class TLazyIconEngine : public QIconEngine {
public:
    explicit TLazyIconEngine(std::function<QIcon()> load);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    bool isNull() override;
    QString key() const override;
    QIconEngine* clone() const override;

private:
    const QIcon& Icon();

    std::function<QIcon()> FLoad;
    QIcon FIcon;
    bool FLoaded = false;
};

// The icon that load makes, made on first use.
QIcon LazyIcon(std::function<QIcon()> load);

// The pictures of a PNG file, read on first use.
QIcon LazyPngIcon(const QString& fileName);
