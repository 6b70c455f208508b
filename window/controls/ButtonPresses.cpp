#include "ButtonPresses.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

bool ButtonPresses::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        // Qt gives a double-click's second press as this event (within the system's
        // double-click interval); the release after it then finds the button up.
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return keyEvent(static_cast<QWidget *>(watched), static_cast<QKeyEvent *>(event));
    default:
        return false;
    }
}

bool ButtonPresses::keyEvent(QWidget *button, QKeyEvent *key)
{
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!enter && key->key() != Qt::Key_Space) {
        return false;
    }
    // Events without a time come from programs (this filter's own Space among them).
    const quint64 time = key->timestamp();
    if (key->type() == QEvent::KeyRelease) {
        if (time != 0) {
            m_lastRelease = time;
        }
    } else if (time != 0 && time == m_lastRelease) {
        // X11 repeats a held key as a release and a press of the same moment. When the press
        // has not arrived yet, Qt takes the release for the key's last (and the button clicks);
        // this press is the same key still held, not a new one for whatever has the focus now
        // (「中断」 once a wait has begun).
        return true;
    } else if (!key->isAutoRepeat()) {
        // Qt draws the focus only once it has moved by Tab.
        button->window()->setAttribute(Qt::WA_KeyboardFocusChange);
    }
    if (!enter) {
        return false;
    }
    QKeyEvent space(key->type(), Qt::Key_Space, key->modifiers(), QStringLiteral(" "),
                    key->isAutoRepeat());
    QCoreApplication::sendEvent(button, &space);
    return true;
}
