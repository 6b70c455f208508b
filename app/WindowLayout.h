#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QStringList>

#include <span>

// The console's window as data: its controls with their names, frames, captions, places
// and list rows, in the order they are made. Form1 makes its controls from it, and so does
// the benchmark's plain console of the same window.
namespace WindowLayout {

// The layout is drawn in twips; 15 twips make one pixel at 96 dots per inch.
struct Twips
{
    int left;
    int top;
    int width;
    int height;
};
QRect pixels(Twips twips);

enum class Kind {
    Frame, // a captioned frame
    Button,
    Caption, // a label naming the list that comes right after it
    StatusLine, // the one-line status of the reception frame
    List, // a drop-down list with an editable field
};

struct Control
{
    const char *name;
    const char *parent; // the window or a frame
    Kind kind;
    const char16_t *caption; // empty for lists and the status line
    Twips place; // in the parent
    QStringList (*rows)() = nullptr; // lists: their fixed rows
    bool bold = false; // the delete buttons' caption
};

// Every control, each frame before the controls it holds and each caption before its list,
// so that the caption stays beneath the list it overlaps.
std::span<const Control> controls();

inline constexpr const char *windowName = "Form1";
QString windowTitle();
QSize windowSize();
// The window's font, which its controls inherit, and the bold one of the delete buttons.
// Their family is Windows' own; Linux draws it with the IPA font of the same metrics.
QFont windowFont();
QFont boldFont();

} // namespace WindowLayout
