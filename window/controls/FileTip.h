#pragma once

#include "PlayerSlot.h"

#include <QObject>
#include <QString>

class QWidget;

// The tooltip of a save or delete button: what it does and the file it acts on, with the
// working folder's path as it is when the tooltip shows, since the folder may be renamed
// while the console runs.
class FileTip : public QObject
{
    Q_OBJECT
public:
    // `what` leads the tip, e.g. "保存先: ".
    FileTip(QWidget *button, const QString &what, PlayerSlot slot);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void update();

    QWidget *m_button;
    QString m_what;
    PlayerSlot m_slot;
};
