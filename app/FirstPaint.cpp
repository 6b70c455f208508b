#include "FirstPaint.h"

#include <QEvent>
#include <QTimer>
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

void afterFirstPaint(QWidget *window, std::function<void()> then)
{
    new FirstPaintWatch(window, std::move(then));
}
