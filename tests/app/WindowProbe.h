#pragma once

#include <QMessageBox>
#include <QString>

#include <optional>

class FixedList;
class Form1;
class QLabel;
class QPushButton;

// Looks into a Form1 by its controls' names, as the tests see the window.
struct WindowProbe
{
    Form1 *form;

    QPushButton *button(int n) const;
    FixedList *list(int n) const;
    QLabel *label(int n) const;
    // The enabled flags of Command1..Command7 as a string of 0s and 1s, e.g. "1101100".
    QString buttonStates() const;
    // The name of the control with the keyboard focus, followed by "*" when the style draws
    // the focus (after a move by keyboard); empty when nothing has the focus.
    QString focus() const;
    // What keeps the status line from reading cleanly: a second line, a control character,
    // a text wider than the label, or one cut with "…" that is not the start of its
    // tooltip's first line; empty when there is nothing.
    QString statusProblem() const;
};

// Turns the mouse wheel by notches (positive: away from the operator) over position in
// widget, delivered like the windowing system's to the control under that point.
void turnWheel(QWidget *widget, QPoint position, int notches);

// What a message box showed before the test answered it.
struct ShownMessage
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
    QFont font; // of the text
    bool buttonIcons = false; // any button shows an icon
};

// Clicks the button and answers (OK) the message box it opens, if any.
std::optional<ShownMessage> clickAndAnswer(QPushButton *button);
