#include "Form1.h"

#include "ButtonPresses.h"
#include "Decoding.h"
#include "FileTip.h"
#include "FixedList.h"
#include "FrameStyle.h"
#include "ListRows.h"
#include "OperatorMessages.h"
#include "PlayerPorts.h"
#include "ReceivedText.h"
#include "SerialReception.h"
#include "StatusLine.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace {

// The layout is drawn in twips; 15 twips make one pixel at 96 dots per inch.
QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

template<class Control> Control *place(Control *control, const char *name, const QRect &geometry)
{
    control->setObjectName(QLatin1String(name));
    control->setGeometry(geometry);
    return control;
}

QGroupBox *frame(QWidget *parent, const char *name, const QString &caption, const QRect &geometry,
                 QStyle *style)
{
    QGroupBox *frame = place(new QGroupBox(caption, parent), name, geometry);
    frame->setStyle(style);
    return frame;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption,
                    const QRect &geometry)
{
    return place(new QPushButton(caption, parent), name, geometry);
}

QLabel *label(QWidget *parent, const char *name, const QString &caption, const QRect &geometry)
{
    QLabel *label = place(new QLabel(caption, parent), name, geometry);
    // Captions sit at the top of their box, clear of the list below.
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// The caption is created first, so that it stays beneath the list it overlaps; it names the
// list for screen readers and gives the label a focus target.
FixedList *list(QWidget *parent, const char *name, const QStringList &rows, const QRect &geometry,
                QLabel *caption)
{
    FixedList *list = place(new FixedList(rows, parent), name, geometry);
    caption->setBuddy(list);
    return list;
}

// Qt hands the focus of a control that gets disabled to the next enabled control in tab
// order, which can be the other player's delete button; `to` takes it instead.
void passFocus(QWidget *from, QWidget *to)
{
    if (from->window()->focusWidget() == from) {
        to->setFocus();
    }
}

// After a save or a delete: the button just used gives way to its counterpart, and `focus`
// takes the focus if the used one had it.
void handOver(QPushButton *used, QPushButton *counterpart, QWidget *focus)
{
    passFocus(used, focus);
    used->setEnabled(false);
    counterpart->setEnabled(true);
}

// The window's font family, which Windows has. Linux has no font of that family, so it is
// mapped to the IPA font with the same metrics.
QString windowFontFamily()
{
    const QString family = QStringLiteral("ＭＳ Ｐゴシック");
#ifndef Q_OS_WIN
    QFont::insertSubstitution(family, QStringLiteral("IPAPGothic"));
#endif
    return family;
}

} // namespace

Form1::Form1(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("ケルミ"));
    setFixedSize(twips(0, 0, 5160, 6450).size());
    setFont(QFont(windowFontFamily(), 9));

    createControls();
    gatherPlayerControls();
    setTabOrder();
    connectHandlers();
    Command1->setFocus();
    Form_Load();
}

void Form1::createControls()
{
    auto *frameStyle = new FrameStyle;
    frameStyle->setParent(this);
    Frame1 = frame(this, "Frame1", QStringLiteral("受信"), twips(360, 120, 4575, 1335), frameStyle);
    Command1 = button(Frame1, "Command1", slotFacts(PlayerSlot::One).portLabel.toString(),
                      twips(360, 360, 1095, 495));
    Command2 = button(Frame1, "Command2", slotFacts(PlayerSlot::Two).portLabel.toString(),
                      twips(1680, 360, 1095, 495));
    Command3 = button(Frame1, "Command3", QStringLiteral("中断"), twips(3360, 360, 855, 495));
    Command3->setEnabled(false);
    Command1->setToolTip(portToolTip(PlayerSlot::One, playerPort(PlayerSlot::One)));
    Command2->setToolTip(portToolTip(PlayerSlot::Two, playerPort(PlayerSlot::Two)));
    Label7 = place(new StatusLine(Frame1), "Label7", twips(360, 960, 3855, 255));

    Frame2 = frame(this, "Frame2", QStringLiteral("プレイヤー１"), twips(360, 1560, 2175, 4695),
                   frameStyle);
    Combo1
        = list(Frame2, "Combo1", ListRows::deviceKinds(), twips(240, 480, 1815, 300),
               label(Frame2, "Label1", QStringLiteral("ケルミの種類"), twips(120, 240, 1215, 375)));
    Combo2 = list(Frame2, "Combo2", ListRows::characters(), twips(240, 1200, 1815, 300),
                  label(Frame2, "Label2", QStringLiteral("ケルミ名"), twips(120, 960, 1215, 375)));
    Combo3 = list(
        Frame2, "Combo3", ListRows::strengths(), twips(240, 1800, 1815, 300),
        label(Frame2, "Label3", QStringLiteral("ケルミの強さ"), twips(120, 1560, 1575, 255)));
    Combo7 = list(Frame2, "Combo7", ListRows::backgrounds(), twips(240, 2400, 1815, 300),
                  label(Frame2, "Label8", QStringLiteral("背景"), twips(120, 2160, 1095, 255)));
    Combo8 = list(Frame2, "Combo8", ListRows::bgm(), twips(240, 3000, 1815, 300),
                  label(Frame2, "Label9", QStringLiteral("ＢＧＭ"), twips(120, 2760, 1215, 255)));
    Command4 = button(Frame2, "Command4", slotFacts(PlayerSlot::One).saveCaption.toString(),
                      twips(120, 3480, 1935, 495));
    Command6 = button(Frame2, "Command6", deleteCaption.toString(), twips(120, 4080, 1935, 495));

    Frame3 = frame(this, "Frame3", QStringLiteral("プレイヤー２"), twips(2640, 1560, 2175, 4695),
                   frameStyle);
    Combo6
        = list(Frame3, "Combo6", ListRows::deviceKinds(), twips(240, 480, 1815, 300),
               label(Frame3, "Label6", QStringLiteral("ケルミの種類"), twips(120, 240, 1215, 375)));
    Combo5 = list(Frame3, "Combo5", ListRows::characters(), twips(240, 1200, 1815, 300),
                  label(Frame3, "Label5", QStringLiteral("ケルミ名"), twips(120, 960, 1215, 375)));
    Combo4 = list(
        Frame3, "Combo4", ListRows::strengths(), twips(240, 1800, 1815, 300),
        label(Frame3, "Label4", QStringLiteral("ケルミの強さ"), twips(120, 1560, 1575, 255)));
    Command5 = button(Frame3, "Command5", slotFacts(PlayerSlot::Two).saveCaption.toString(),
                      twips(120, 3480, 1935, 495));
    Command7 = button(Frame3, "Command7", deleteCaption.toString(), twips(120, 4080, 1935, 495));

    new FileTip(Command4, QStringLiteral("保存先: "), PlayerSlot::One);
    new FileTip(Command5, QStringLiteral("保存先: "), PlayerSlot::Two);
    new FileTip(Command6, QStringLiteral("削除するファイル: "), PlayerSlot::One);
    new FileTip(Command7, QStringLiteral("削除するファイル: "), PlayerSlot::Two);

    QFont bold(windowFontFamily());
    bold.setPointSizeF(9.75);
    bold.setBold(true);
    Command6->setFont(bold);
    Command7->setFont(bold);

    auto *presses = new ButtonPresses(this);
    for (QPushButton *button :
         {Command1, Command2, Command3, Command4, Command5, Command6, Command7}) {
        button->installEventFilter(presses);
    }

    m_reception = new SerialReception(this);
}

void Form1::gatherPlayerControls()
{
    m_player1 = {.slot = PlayerSlot::One,
                 .portButton = Command1,
                 .deviceKind = Combo1,
                 .character = Combo2,
                 .strength = Combo3,
                 .matchLists = {Combo7, Combo8},
                 .saveButton = Command4,
                 .deleteButton = Command6};
    m_player2 = {.slot = PlayerSlot::Two,
                 .portButton = Command2,
                 .deviceKind = Combo6,
                 .character = Combo5,
                 .strength = Combo4,
                 .matchLists = {},
                 .saveButton = Command5,
                 .deleteButton = Command7};
}

void Form1::setTabOrder()
{
    // Ascending tab index; frames, labels and disabled buttons never take the focus.
    const QWidget *const order[]
        = {Command1, Command2, Command3, Combo1,   Combo2,   Combo3, Combo4, Combo5,
           Combo6,   Command4, Command5, Command6, Command7, Combo7, Combo8};
    for (size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(const_cast<QWidget *>(order[i - 1]), const_cast<QWidget *>(order[i]));
    }
}

void Form1::connectHandlers()
{
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (m_reception->isWaiting()) {
        m_reception->abort();
    }
    event->accept();
}

// Start-up: each slot's save or delete button, by the player data files present.
void Form1::Form_Load()
{
    showFileState(m_player1);
    showFileState(m_player2);
}

void Form1::Command1_Click()
{
    receive(m_player1);
}

void Form1::Command2_Click()
{
    receive(m_player2);
}

void Form1::Command3_Click()
{
    m_reception->abort();
    enablePortButtons(true);
    Label7->showText(QStringLiteral("受信中断"));
}

void Form1::Command4_Click()
{
    save(m_player1);
}

void Form1::Command5_Click()
{
    save(m_player2);
}

void Form1::Command6_Click()
{
    remove(m_player1);
}

void Form1::Command7_Click()
{
    remove(m_player2);
}

void Form1::receive(const PlayerControls &player)
{
    player.deviceKind->setListIndex(-1);
    player.character->setListIndex(-1);
    player.strength->setListIndex(-1);
    m_portButton = player.portButton;
    enablePortButtons(false);
    Label7->showText(slotFacts(player.slot).waitingMessage.toString());

    // Every other handler, the abort among them, runs inside this call.
    const SerialReception::Outcome outcome = m_reception->receive(player.slot);
    switch (outcome.kind) {
    case SerialReception::Outcome::Aborted:
        return; // the abort has already restored the buttons and the label
    case SerialReception::Outcome::Failed:
        enablePortButtons(true);
        Label7->showMessage(portFailureMessage(outcome.failure));
        return;
    case SerialReception::Outcome::Received:
        break;
    }
    enablePortButtons(true);
    // No control keeps the focus, so that no key can start a new wait, which would clear
    // the lists, or type into a list and drop its pick; Tab starts again at 「ポート１」.
    setFocus();
    Label7->showReceived(receivedText(outcome.bytes));

    // Only the lists the transmission sets change; the others keep what the operator typed.
    const ListSettings decoded = decodeTransmission(outcome.bytes, player.strength->listIndex());
    player.deviceKind->setListIndex(decoded.deviceKind);
    if (decoded.character) {
        player.character->setListIndex(*decoded.character);
    }
    if (decoded.strength) {
        player.strength->setListIndex(*decoded.strength);
    }
}

// The focus goes with the enabled side: to 「中断」 for the wait, where Space or Enter
// aborts it and no other key reaches a list meanwhile, and back to the port button that
// started the wait (a reception that received then takes it away again).
void Form1::enablePortButtons(bool enabled)
{
    if (enabled) {
        Command1->setEnabled(true);
        Command2->setEnabled(true);
        passFocus(Command3, m_portButton);
        Command3->setEnabled(false);
        return;
    }
    Command3->setEnabled(true);
    Command3->setFocus();
    Command1->setEnabled(false);
    Command2->setEnabled(false);
}

void Form1::save(const PlayerControls &player)
{
    PlayerRecord record {player.deviceKind->listIndex(), player.character->listIndex(),
                         player.strength->listIndex()};
    for (const FixedList *list : player.matchLists) {
        record += list->listIndex();
    }
    if (record.contains(-1)) {
        showMessage(QStringLiteral("データがすべて入力されていません。"), false);
        return;
    }
    if (const auto error = writePlayerFile(player.slot, record)) {
        showMessage(fileFailureMessage(FileOperation::Save, player.slot, *error), true);
        return;
    }
    // No control, not the next button in tab order, which can be a delete button (the other
    // player's too), nor a list, where a key would drop the pick the file was saved from.
    handOver(player.saveButton, player.deleteButton, this);
}

void Form1::remove(const PlayerControls &player)
{
    if (const auto error = removePlayerFile(player.slot)) {
        showMessage(fileFailureMessage(FileOperation::Delete, player.slot, *error), true);
        return;
    }
    // No control, not the save button, where a second Space would save the file again.
    handOver(player.deleteButton, player.saveButton, this);
}

void Form1::showFileState(const PlayerControls &player)
{
    const bool present = playerFilePresent(player.slot);
    player.saveButton->setEnabled(!present);
    player.deleteButton->setEnabled(present);
}

void Form1::showMessage(const QString &text, bool failure)
{
    // Titled with the application's name, which is also the window's caption.
    QMessageBox box(failure ? QMessageBox::Warning : QMessageBox::NoIcon, windowTitle(), text,
                    QMessageBox::Ok, this);
    box.setWindowModality(Qt::ApplicationModal);
    // A dialog is a window of its own and takes the application's font, not this window's.
    box.setFont(font());
    // Some platform themes put icons on dialog buttons; this window's buttons have none.
    for (QAbstractButton *button : box.buttons()) {
        button->setIcon(QIcon());
    }
    box.exec();
}
