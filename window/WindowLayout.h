#pragma once

#include "PlayerSlot.h"

#include <QFont>
#include <QRect>
#include <QSize>
#include <QStringList>

class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

// The fixed rows of the window's lists. A row's index is the code that the decoding
// sets and the player data files carry, so rows are never reordered.
namespace ListRows {
QStringList deviceKinds();
QStringList characters();
QStringList strengths();
QStringList backgrounds();
QStringList bgm();
} // namespace ListRows

// The console's window as data: each control by its name, with its frame, caption, place and
// list rows. Form1 makes its controls from it by those names, and the benchmark's plain console
// makes the same window from `controls`.
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

inline constexpr const char *windowName = "Form1";

inline constexpr Control Frame1 {
    "Frame1", windowName, Kind::Frame, u"受信", {360, 120, 4575, 1335}};
inline constexpr Control Command1 {
    "Command1", "Frame1", Kind::Button, portCaptions[0], {360, 360, 1095, 495}};
inline constexpr Control Command2 {
    "Command2", "Frame1", Kind::Button, portCaptions[1], {1680, 360, 1095, 495}};
inline constexpr Control Command3 {
    "Command3", "Frame1", Kind::Button, u"中断", {3360, 360, 855, 495}};
inline constexpr Control Label7 {"Label7", "Frame1", Kind::StatusLine, u"", {360, 960, 3855, 255}};

inline constexpr Control Frame2 {
    "Frame2", windowName, Kind::Frame, u"プレイヤー１", {360, 1560, 2175, 4695}};

// Player 1's lists, each under the caption that names it; every list has the same left edge
// and size.
constexpr Control caption(const char *name, const char16_t *text, Twips place)
{
    return {name, "Frame2", Kind::Caption, text, place};
}
constexpr Control list(const char *name, int top, QStringList (*rows)())
{
    return {name, "Frame2", Kind::List, u"", {240, top, 1815, 300}, rows};
}
inline constexpr Control Label1 = caption("Label1", u"ケルミの種類", {120, 240, 1215, 375});
inline constexpr Control Combo1 = list("Combo1", 480, ListRows::deviceKinds);
inline constexpr Control Label2 = caption("Label2", u"ケルミ名", {120, 960, 1215, 375});
inline constexpr Control Combo2 = list("Combo2", 1200, ListRows::characters);
inline constexpr Control Label3 = caption("Label3", u"ケルミの強さ", {120, 1560, 1575, 255});
inline constexpr Control Combo3 = list("Combo3", 1800, ListRows::strengths);
inline constexpr Control Label8 = caption("Label8", u"背景", {120, 2160, 1095, 255});
inline constexpr Control Combo7 = list("Combo7", 2400, ListRows::backgrounds);
inline constexpr Control Label9 = caption("Label9", u"ＢＧＭ", {120, 2760, 1215, 255});
inline constexpr Control Combo8 = list("Combo8", 3000, ListRows::bgm);
inline constexpr Control Command4 {
    "Command4", "Frame2", Kind::Button, saveCaptions[0], {120, 3480, 1935, 495}};
inline constexpr Control Command6 {.name = "Command6",
                                   .parent = "Frame2",
                                   .kind = Kind::Button,
                                   .caption = deleteCaption.utf16(),
                                   .place = {120, 4080, 1935, 495},
                                   .bold = true};

// Player 2's frame holds player 1's lists and buttons in the same places, without background
// and BGM.
constexpr Control inFrame3(Control player1, const char *name, const char16_t *caption = nullptr)
{
    player1.name = name;
    player1.parent = "Frame3";
    if (caption) {
        player1.caption = caption;
    }
    return player1;
}
inline constexpr Control Frame3 {
    "Frame3", windowName, Kind::Frame, u"プレイヤー２", {2640, 1560, 2175, 4695}};
inline constexpr Control Label6 = inFrame3(Label1, "Label6");
inline constexpr Control Combo6 = inFrame3(Combo1, "Combo6");
inline constexpr Control Label5 = inFrame3(Label2, "Label5");
inline constexpr Control Combo5 = inFrame3(Combo2, "Combo5");
inline constexpr Control Label4 = inFrame3(Label3, "Label4");
inline constexpr Control Combo4 = inFrame3(Combo3, "Combo4");
inline constexpr Control Command5 = inFrame3(Command4, "Command5", saveCaptions[1]);
inline constexpr Control Command7 = inFrame3(Command6, "Command7");

// Every control, each frame before the controls it holds and each caption before its list,
// so that the caption stays beneath the list it overlaps.
inline constexpr const Control *controls[]
    = {&Frame1, &Command1, &Command2, &Command3, &Label7, &Frame2, &Label1, &Combo1,   &Label2,
       &Combo2, &Label3,   &Combo3,   &Label8,   &Combo7, &Label9, &Combo8, &Command4, &Command6,
       &Frame3, &Label6,   &Combo6,   &Label5,   &Combo5, &Label4, &Combo4, &Command5, &Command7};

QString windowTitle();
QSize windowSize();
// The window's font, which its controls inherit, and the bold one of the delete buttons.
// Their family is Windows' own; Linux draws it with the IPA font of the same metrics.
QFont windowFont();
QFont boldFont();

// Gives a window the layout's name, title, fixed size and font.
void dressWindow(QWidget *window);
// Names and places a control made for `control` in its parent, in the bold font where the
// layout says so.
void placeControl(QWidget *made, const Control &control);
template<class Widget> Widget *placed(Widget *made, const Control &control)
{
    placeControl(made, control);
    return made;
}
// The controls that are plain Qt widgets in every window made from the layout.
QGroupBox *makeFrame(const Control &control, QWidget *parent);
QPushButton *makeButton(const Control &control, QWidget *parent);
QLabel *makeCaption(const Control &control, QWidget *parent);

} // namespace WindowLayout
