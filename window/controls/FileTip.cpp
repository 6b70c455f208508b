#include "FileTip.h"

#include "PlayerFiles.h"
#include "TextLines.h"

#include <QEvent>
#include <QWidget>

FileTip::FileTip(QWidget *button, const QString &what, PlayerSlot slot)
    : QObject(button)
    , m_button(button)
    , m_what(what)
    , m_slot(slot)
{
    update();
    button->installEventFilter(this);
}

bool FileTip::eventFilter(QObject *, QEvent *event)
{
    // Runs before the button shows its tooltip.
    if (event->type() == QEvent::ToolTip) {
        update();
    }
    return false;
}

void FileTip::update()
{
    m_button->setToolTip(brokenLines(m_what + playerFileForDisplay(m_slot)));
}
