#include "StartUp.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QImageReader>
#include <QLibraryInfo>
#include <QPixmap>
#include <QTimer>
#include <QTranslator>
#include <QWidget>

namespace {

class FirstPaintWatch : public QObject
{
public:
    FirstPaintWatch(QWidget *window, std::function<void()> then)
        : QObject(window)
        , m_window(window)
        , m_then(std::move(then))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            m_window->removeEventFilter(this);
            // Queued, it runs once this paint and the rest of the window's have been flushed.
            QTimer::singleShot(0, m_window, std::move(m_then));
            deleteLater();
        }
        return false;
    }

private:
    QWidget *m_window;
    std::function<void()> m_then;
};

} // namespace

bool installQtTranslations(QObject *owner)
{
    auto *translator = new QTranslator(owner);
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

// The Debian package installs these same pictures into the icon theme, where the menu entry
// and the docks that go by the desktop file name find them. Looking the icon up in the theme
// at start-up only found these pictures again, after reading the theme's whole index: a
// fifth of the console's start-up under X11.
QIcon windowIcon()
{
    QIcon pictures;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        // Named as PNG: a reader left to guess the format loads every image format plugin
        // first, to ask each whether it reads PNG.
        QImageReader reader(QStringLiteral(":/icons/%1x%1/io.github.kelmi.Console.png").arg(size),
                            "png");
        reader.setAutoDetectImageFormat(false);
        pictures.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return pictures;
}

void afterFirstPaint(QWidget *window, std::function<void()> then)
{
    new FirstPaintWatch(window, std::move(then));
}

void reportReadiness()
{
    bool ok = false;
    const int fd = qEnvironmentVariableIntValue("KELMI_READY_FD", &ok);
    if (!ok) {
        return;
    }
    QTimer::singleShot(0, [fd] {
        QFile ready;
        if (ready.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
            ready.write("ready\n");
        }
    });
}
