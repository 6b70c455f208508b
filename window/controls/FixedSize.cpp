#include "FixedSize.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {

class FixedSizeKeeper : public QObject
{
public:
    explicit FixedSizeKeeper(QWidget *window)
        : QObject(window)
        , m_window(window)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Show) {
            watch();
        } else if (watched == m_handle && event->type() == QEvent::WindowStateChange) {
            // The windowing system's report, which the window's own request does not send.
            m_maximised = m_handle->windowStates() & Qt::WindowMaximized;
            if (m_maximised) {
                m_asked = false;
                // Queued, so that Qt has taken the new state in before the old one is asked for.
                QMetaObject::invokeMethod(
                    m_window, [window = m_window] { window->showNormal(); }, Qt::QueuedConnection);
            }
            restoreMaximumSize();
        }
        return false;
    }

private:
    void watch()
    {
        QWindow *handle = m_window->windowHandle();
        if (!handle || handle == m_handle) {
            return;
        }
        m_handle = handle;
        handle->installEventFilter(this);
        // Qt's own title bar asks the window itself, before the compositor answers; other
        // answers can come first. Until the maximised one has, the window must be free to
        // take the size it gives. (Qt also signals the state that the system reports.)
        connect(handle, &QWindow::windowStateChanged, this, [this](Qt::WindowState state) {
            if (state == Qt::WindowMaximized && !m_maximised) {
                m_asked = true;
                m_handle->setMaximumSize(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
            }
        });
    }

    // Once the windowing system has the window unmaximised, with no maximise awaited.
    void restoreMaximumSize()
    {
        if (m_asked || m_maximised || m_handle->maximumSize() == m_window->maximumSize()) {
            return;
        }
        m_handle->setMaximumSize(m_window->maximumSize());
        // Some compositors (weston's kiosk shell) give a size with every state, that of the
        // screen: the window has taken it and gives it back.
        m_window->resize(m_window->size().boundedTo(m_window->maximumSize()));
    }

    QWidget *m_window;
    QPointer<QWindow> m_handle;
    bool m_asked = false; // a maximise that the windowing system has not answered yet
    bool m_maximised = false; // as the windowing system last reported
};

} // namespace

void keepFixedSize(QWidget *window)
{
    new FixedSizeKeeper(window);
}
