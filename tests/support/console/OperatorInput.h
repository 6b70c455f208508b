#pragma once

#include <QFont>
#include <QMessageBox>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <optional>

class QPushButton;
class QWidget;

// Turns the mouse wheel by notches (positive: away from the operator) over position in
// widget, delivered like the windowing system's to the control under that point.
void turnWheel(QWidget *widget, QPoint position, int notches);

// Double-clicks the button through the windowing system's path, where Qt makes the second
// press a double-click (within the system's double-click interval).
void doubleClick(QPushButton *button);

// Presses and releases a key as the windowing system sends a key held down, each event to
// whatever has the focus then: "P0" a press at 0 ms, "R500a" a release at 500 ms that the
// system marks as the keyboard's repeat (X11 repeats a key as a release and a press of the
// same moment). Events that remain when one of them starts a wait are sent from `next` on by
// whoever calls it again from inside the wait.
void holdKey(Qt::Key key, const QStringList &events, qsizetype &next);

// Clicks the maximise button of the title bar that Qt draws itself (Wayland desktops that
// leave decorations to their clients): the window asks for the state, then the windowing
// system answers with it and its size. Tells what went wrong: the window could not take the
// screen's size when asked, or, once the answer has been taken in, it is not back unmaximised
// at its size and fixed to it; empty when nothing did.
QString maximiseProblem(QWidget *window);

// What a message box showed before the test answered it.
struct ShownMessage
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
    QFont font; // of the text
    bool buttonIcons = false; // any button shows an icon
    QString maximiseProblem; // of the box: see maximiseProblem()
};

// Clicks the button and answers (OK) the message box it opens, if any.
std::optional<ShownMessage> clickAndAnswer(QPushButton *button);
