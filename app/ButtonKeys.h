#pragma once

#include <QObject>

// An event filter for push buttons. Enter and Return press the focused button as Space
// does (down on the press, clicked on the release, a held key clicking once), which
// operators used to Windows expect. A button pressed by key also makes its window draw
// the focus from then on, so that the operator sees where a handler moves it.
class ButtonKeys : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
