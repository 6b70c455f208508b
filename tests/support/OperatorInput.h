#pragma once

#include <QFont>
#include <QMessageBox>
#include <QPoint>
#include <QString>

#include <optional>

class QPushButton;
class QWidget;

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
