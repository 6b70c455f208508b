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
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Show:
            watchRequests();
            break;
        case QEvent::WindowStateChange:
            // The compositor has maximised the window. Queued, so that Qt has finished taking
            // the new state in before it is asked for the old one.
            if (m_window->windowState() & Qt::WindowMaximized) {
                QMetaObject::invokeMethod(
                    m_window, [window = m_window] { window->showNormal(); }, Qt::QueuedConnection);
            }
            break;
        case QEvent::Resize:
            restoreMaximumSize();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void watchRequests()
    {
        QWindow *handle = m_window->windowHandle();
        if (!handle || handle == m_handle) {
            return;
        }
        m_handle = handle;
        // A title bar asks the window itself, before the compositor answers: the window must
        // then be free to take the size of that answer.
        connect(handle, &QWindow::windowStateChanged, this, [this](Qt::WindowState state) {
            if (state == Qt::WindowMaximized) {
                m_handle->setMaximumSize(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
            } else {
                restoreMaximumSize();
            }
        });
    }

    // Once the window is back at its size, which can be after the request to leave the
    // maximised state (the compositor answers it later).
    void restoreMaximumSize()
    {
        if (!m_handle || m_handle->windowStates() & Qt::WindowMaximized
            || m_handle->maximumSize() == m_window->maximumSize()
            || m_window->size().boundedTo(m_window->maximumSize()) != m_window->size()) {
            return;
        }
        m_handle->setMaximumSize(m_window->maximumSize());
    }

    QWidget *m_window;
    QPointer<QWindow> m_handle;
};

} // namespace

void keepFixedSize(QWidget *window)
{
    new FixedSizeKeeper(window);
}
