#include "FixedList.h"

#include <QLineEdit>
#include <QWheelEvent>

FixedList::FixedList(const QStringList &rows, QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // The completer would pick a row when its text is typed and Enter pressed.
    setCompleter(nullptr);
    // QComboBox picks the row whose text equals the field on Enter and when the field
    // loses focus; here only the drop-down and the handlers pick rows.
    disconnect(lineEdit(), &QLineEdit::returnPressed, this, nullptr);
    disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
    connect(lineEdit(), &QLineEdit::textEdited, this, &FixedList::dropSelectionKeepingText);
    // A list's own policy lets the wheel take the focus; clicks and Tab still do.
    setFocusPolicy(Qt::StrongFocus);

    addItems(rows);
    setListIndex(-1);
}

void FixedList::setListIndex(int index)
{
    if (index < 0 || index >= count()) {
        index = -1;
    }
    setCurrentIndex(index);
    if (index == -1) {
        // Setting -1 over -1 leaves typed text in place; the field must be empty.
        lineEdit()->clear();
    }
}

void FixedList::wheelEvent(QWheelEvent *event)
{
    if (!hasFocus()) {
        event->ignore(); // on to the frame and the window, which scroll nothing
        return;
    }
    QComboBox::wheelEvent(event);
}

void FixedList::dropSelectionKeepingText(const QString &text)
{
    if (currentIndex() == -1) {
        return;
    }
    const int cursor = lineEdit()->cursorPosition();
    setCurrentIndex(-1); // this empties the field...
    lineEdit()->setText(text); // ...so put back what the operator typed
    lineEdit()->setCursorPosition(cursor);
}
