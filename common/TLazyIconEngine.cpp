#include "common/TLazyIconEngine.h"

#include <utility>

#include <QImage>
#include <QImageReader>
#include <QPixmap>

TLazyIconEngine::TLazyIconEngine(std::function<QIcon()> load) : FLoad(std::move(load)) {}

const QIcon& TLazyIconEngine::Icon()
{
    if (!FLoaded) {
        FLoaded = true;
        FIcon = FLoad();
        FLoad = nullptr;
    }
    return FIcon;
}

void TLazyIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state)
{
    // rect is already fitted to the picture: centring it again moves nothing.
    Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
}

QSize TLazyIconEngine::actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return Icon().actualSize(size, mode, state);
}

QPixmap TLazyIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return Icon().pixmap(size, 1.0, mode, state);
}

QPixmap TLazyIconEngine::scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal)
{
    // size is in device pixels already; the caller sets the pixmap's ratio.
    return Icon().pixmap(size, 1.0, mode, state);
}

QList<QSize> TLazyIconEngine::availableSizes(QIcon::Mode mode, QIcon::State state)
{
    return Icon().availableSizes(mode, state);
}

bool TLazyIconEngine::isNull()
{
    return Icon().isNull();
}

QString TLazyIconEngine::key() const
{
    return QStringLiteral("TLazyIconEngine");
}

QIconEngine* TLazyIconEngine::clone() const
{
    return new TLazyIconEngine(*this);
}

QIcon LazyIcon(std::function<QIcon()> load)
{
    return QIcon(new TLazyIconEngine(std::move(load)));
}

QIcon LazyPngIcon(const QString& fileName)
{
    return LazyIcon([fileName] {
        // Read as PNG only: a reader left to guess asks every image format
        // plugin first, which loads each of them and the libraries they need.
        QImageReader reader(fileName, "png");
        reader.setAutoDetectImageFormat(false);
        QIcon icon;
        QImage image;
        while (reader.read(&image)) {
            icon.addPixmap(QPixmap::fromImage(image));
        }
        return icon;
    });
}
