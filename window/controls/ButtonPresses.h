#pragma once

#include <QObject>

class QKeyEvent;
class QWidget;

// An event filter for push buttons: what presses a button, and what does not.
// - Enter and Return press the focused button as Space does (down on the press, clicked on the
//   release), which operators used to Windows expect.
// - A held Enter or Space presses once, however long the keyboard repeats it.
// - The second click of a double-click is no click: operators used to Windows double-click
//   buttons by habit, and a second click on a port button would start a new wait that clears
//   what the first one has just received.
// A button pressed by key also makes its window draw the focus from then on, so that the
// operator sees where a handler moves it. One filter serves all of a window's buttons.
class ButtonPresses : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool keyEvent(QWidget *button, QKeyEvent *key);

    // When Enter or Space was last released, on whichever button.
    quint64 m_lastRelease = 0;
};
