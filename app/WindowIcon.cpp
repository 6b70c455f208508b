#include "WindowIcon.h"

#include "DeferredIconEngine.h"

#include <QImageReader>
#include <QPixmap>

// The Debian package installs these same pictures into the icon theme, where the menu entry
// and the docks that go by the desktop file name find them. Looking the icon up in the theme
// at start-up only found these pictures again, after reading the theme's whole index: a
// fifth of the console's start-up under X11.
QIcon windowIcon()
{
    return QIcon(new DeferredIconEngine([] {
        QIcon pictures;
        for (int size : {16, 24, 32, 48, 64, 128, 256}) {
            // Named as PNG: a reader left to guess the format loads every image format
            // plugin first, to ask each whether it reads PNG.
            QImageReader reader(
                QStringLiteral(":/icons/%1x%1/io.github.kelmi.Console.png").arg(size), "png");
            reader.setAutoDetectImageFormat(false);
            pictures.addPixmap(QPixmap::fromImage(reader.read()));
        }
        return pictures;
    }));
}
