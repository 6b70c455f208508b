#include "WindowIcon.h"

#include "DeferredIconEngine.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QPixmap>

#include <future>

// The Debian package installs these same pictures into the icon theme, where the menu entry
// and the docks that go by the desktop file name find them. Looking the icon up in the theme
// at start-up only found these pictures again, after reading the theme's whole index: a
// fifth of the console's start-up under X11.

namespace {

// Premultiplied, as pixmaps keep them, so that the window's thread makes pixmaps of them
// without converting a pixel.
QList<QImage> decodePictures()
{
    QList<QImage> pictures;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        // Named as PNG: a reader left to guess the format loads every image format plugin
        // first, to ask each whether it reads PNG.
        QImageReader reader(QStringLiteral(":/icons/%1x%1/io.github.kelmi.Console.png").arg(size),
                            "png");
        reader.setAutoDetectImageFormat(false);
        pictures += reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    return pictures;
}

} // namespace

QIcon windowIcon(bool ahead)
{
    // Deferred, the pictures are decoded by the first get(), in the thread that asks.
    const std::shared_future<QList<QImage>> pictures
        = std::async(ahead ? std::launch::async : std::launch::deferred, decodePictures);
    return QIcon(new DeferredIconEngine([pictures] {
        QIcon icon;
        for (const QImage &picture : pictures.get()) {
            icon.addPixmap(QPixmap::fromImage(picture));
        }
        return icon;
    }));
}

bool iconTakenAsWindowIsMade()
{
    const QString platform = QGuiApplication::platformName();
    return platform == u"xcb" || platform == u"windows";
}
