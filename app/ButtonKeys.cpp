#include "ButtonKeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

bool ButtonKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) {
        return false;
    }
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!enter && key->key() != Qt::Key_Space) {
        return false;
    }
    if (event->type() == QEvent::KeyPress && !key->isAutoRepeat()) {
        // Qt draws the focus only once it has moved by Tab.
        static_cast<QWidget *>(watched)->window()->setAttribute(Qt::WA_KeyboardFocusChange);
    }
    if (!enter) {
        return false;
    }
    QKeyEvent space(event->type(), Qt::Key_Space, key->modifiers(), QStringLiteral(" "),
                    key->isAutoRepeat());
    QCoreApplication::sendEvent(watched, &space);
    return true;
}
