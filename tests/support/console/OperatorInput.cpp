#include "OperatorInput.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdlib>

void turnWheel(QWidget *widget, QPoint position, int notches)
{
    QWidget *under = widget->childAt(position);
    QWidget *receiver = under ? under : widget;
    const QPointF local = receiver->mapFrom(widget, QPointF(position));
    const QPointF global = widget->mapToGlobal(QPointF(position));
    // One event per notch, as a mouse wheel sends them.
    for (int i = 0; i < std::abs(notches); ++i) {
        QWheelEvent wheel(local, global, QPoint(), QPoint(0, notches > 0 ? 120 : -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        // Only the windowing system's events go on to the parents and move the focus by
        // policy; sendEvent() would make it an application's.
        QSpontaneKeyEvent::setSpontaneous(&wheel);
        QApplication::instance()->notify(receiver, &wheel);
    }
}

std::optional<ShownMessage> clickAndAnswer(QPushButton *button)
{
    std::optional<ShownMessage> shown;
    // The box runs its own event loop; this timer fires inside it.
    QTimer answer;
    answer.setInterval(0);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            return;
        }
        const QList<QAbstractButton *> buttons = box->buttons();
        shown = ShownMessage {
            box->windowTitle(),
            box->text(),
            box->icon(),
            int(buttons.size()),
            box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))->font(),
            std::any_of(buttons.begin(), buttons.end(),
                        [](const QAbstractButton *b) { return !b->icon().isNull(); }),
            maximiseProblem(box)};
        box->button(QMessageBox::Ok)->click();
    });
    answer.start();
    QTest::mouseClick(button, Qt::LeftButton);
    return shown;
}

QString maximiseProblem(QWidget *window)
{
    const QSize size = window->size();
    QWindow *handle = window->windowHandle();
    handle->setWindowStates(Qt::WindowMaximized);
    // Wayland's compositors end a client whose window does not take the size they answer with.
    const QSize screen = handle->screen()->availableSize();
    if (handle->maximumSize().boundedTo(screen) != screen) {
        return QStringLiteral("cannot take the screen's size");
    }
    // The platform's answer and the way back each take a turn of the event loop; a few
    // turns more show the state that stays.
    for (int turn = 0; turn < 10; ++turn) {
        QCoreApplication::processEvents();
    }
    if (handle->windowStates() != Qt::WindowNoState) {
        return QStringLiteral("window states %1").arg(int(handle->windowStates()));
    }
    if (window->size() != size) {
        return QStringLiteral("size %1x%2").arg(window->width()).arg(window->height());
    }
    if (handle->minimumSize() != size || handle->maximumSize() != size) {
        return QStringLiteral("size not fixed");
    }
    return QString();
}

void doubleClick(QPushButton *button)
{
    QWindow *window = button->window()->windowHandle();
    QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier,
                       window->mapFromGlobal(button->mapToGlobal(button->rect().center())));
}

void holdKey(Qt::Key key, const QStringList &events, qsizetype &next)
{
    const QString text = key == Qt::Key_Space ? QStringLiteral(" ") : QStringLiteral("\r");
    while (next < events.size()) {
        const QString event = events.at(next++);
        const bool repeat = event.endsWith(u'a');
        QKeyEvent sent(event.startsWith(u'P') ? QEvent::KeyPress : QEvent::KeyRelease, key,
                       Qt::NoModifier, text, repeat);
        // X11 stamps its events with the server's milliseconds, never 0 once it runs.
        sent.setTimestamp(1000 + event.mid(1, event.size() - (repeat ? 2 : 1)).toULongLong());
        QSpontaneKeyEvent::setSpontaneous(&sent);
        QApplication::instance()->notify(QApplication::focusWidget(), &sent);
    }
}
