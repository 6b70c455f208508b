#include "Form1.h"

#include "ButtonPresses.h"
#include "Decoding.h"
#include "FileTip.h"
#include "FixedList.h"
#include "FixedSize.h"
#include "FrameStyle.h"
#include "OperatorMessages.h"
#include "ReceivedText.h"
#include "SerialPortList.h"
#include "SerialReception.h"
#include "StatusLine.h"
#include "WindowLayout.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace {

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

} // namespace

Form1::Form1(QWidget *parent)
    : QWidget(parent)
{
    createControls();
    gatherPlayerControls();
    setTabOrder();
    connectHandlers();
    Command1->setFocus();
    Form_Load();
}

void Form1::createControls()
{
    namespace layout = WindowLayout;
    layout::dressWindow(this);
    auto *frameStyle = new FrameStyle;
    frameStyle->setParent(this);
    const auto frame = [&](const layout::Control &control) {
        QGroupBox *frame = layout::makeFrame(control, this);
        frame->setStyle(frameStyle);
        return frame;
    };
    // A list and the caption that names it, for screen readers, and gives it the focus.
    const auto list
        = [](const layout::Control &caption, const layout::Control &control, QWidget *frame) {
              QLabel *label = layout::makeCaption(caption, frame);
              auto *list = layout::placed(new FixedList(control.rows(), frame), control);
              label->setBuddy(list);
              return list;
          };

    Frame1 = frame(layout::Frame1);
    Command1 = layout::makeButton(layout::Command1, Frame1);
    Command2 = layout::makeButton(layout::Command2, Frame1);
    Command3 = layout::makeButton(layout::Command3, Frame1);
    Label7 = layout::placed(new StatusLine(Frame1), layout::Label7);

    Frame2 = frame(layout::Frame2);
    Combo1 = list(layout::Label1, layout::Combo1, Frame2);
    Combo2 = list(layout::Label2, layout::Combo2, Frame2);
    Combo3 = list(layout::Label3, layout::Combo3, Frame2);
    Combo7 = list(layout::Label8, layout::Combo7, Frame2);
    Combo8 = list(layout::Label9, layout::Combo8, Frame2);
    Command4 = layout::makeButton(layout::Command4, Frame2);
    Command6 = layout::makeButton(layout::Command6, Frame2);

    Frame3 = frame(layout::Frame3);
    Combo6 = list(layout::Label6, layout::Combo6, Frame3);
    Combo5 = list(layout::Label5, layout::Combo5, Frame3);
    Combo4 = list(layout::Label4, layout::Combo4, Frame3);
    Command5 = layout::makeButton(layout::Command5, Frame3);
    Command7 = layout::makeButton(layout::Command7, Frame3);

    Command3->setEnabled(false);
    Command1->setToolTip(portToolTip(PlayerSlot::One, playerPort(PlayerSlot::One)));
    Command2->setToolTip(portToolTip(PlayerSlot::Two, playerPort(PlayerSlot::Two)));
    new FileTip(Command4, QStringLiteral("保存先: "), PlayerSlot::One);
    new FileTip(Command5, QStringLiteral("保存先: "), PlayerSlot::Two);
    new FileTip(Command6, QStringLiteral("削除するファイル: "), PlayerSlot::One);
    new FileTip(Command7, QStringLiteral("削除するファイル: "), PlayerSlot::Two);

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
    const ListIndexes decoded = decodeTransmission(outcome.bytes, player.strength->listIndex());
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
    keepFixedSize(&box);
    // A dialog is a window of its own and takes the application's font, not this window's.
    box.setFont(font());
    // Some platform themes put icons on dialog buttons; this window's buttons have none.
    for (QAbstractButton *button : box.buttons()) {
        button->setIcon(QIcon());
    }
    box.exec();
}
