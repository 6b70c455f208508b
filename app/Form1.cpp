#include "Form1.h"

#include "ButtonPresses.h"
#include "Decoding.h"
#include "FileTip.h"
#include "FixedList.h"
#include "FixedSize.h"
#include "FrameStyle.h"
#include "OperatorMessages.h"
#include "PlayerPorts.h"
#include "ReceivedText.h"
#include "SerialReception.h"
#include "StatusLine.h"
#include "WindowBuilder.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Form1's own kinds of control: frames drawn as classic group boxes, lists whose rows stay
// fixed, the status line.
class ConsoleControls : public WindowBuilder
{
public:
    explicit ConsoleControls(QStyle *frameStyle)
        : m_frameStyle(frameStyle)
    { }

protected:
    QGroupBox *makeFrame(QWidget *parent) override
    {
        QGroupBox *frame = WindowBuilder::makeFrame(parent);
        frame->setStyle(m_frameStyle);
        return frame;
    }
    QComboBox *makeList(const QStringList &rows, QWidget *parent) override
    {
        return new FixedList(rows, parent);
    }
    QLabel *makeStatusLine(QWidget *parent) override { return new StatusLine(parent); }

private:
    QStyle *m_frameStyle;
};

template<class Control> Control *control(const QWidget *window, const char *name)
{
    return window->findChild<Control *>(QLatin1String(name));
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
    auto *frameStyle = new FrameStyle;
    frameStyle->setParent(this);
    ConsoleControls(frameStyle).build(this);
    Frame1 = control<QGroupBox>(this, "Frame1");
    Frame2 = control<QGroupBox>(this, "Frame2");
    Frame3 = control<QGroupBox>(this, "Frame3");
    Command1 = control<QPushButton>(this, "Command1");
    Command2 = control<QPushButton>(this, "Command2");
    Command3 = control<QPushButton>(this, "Command3");
    Command4 = control<QPushButton>(this, "Command4");
    Command5 = control<QPushButton>(this, "Command5");
    Command6 = control<QPushButton>(this, "Command6");
    Command7 = control<QPushButton>(this, "Command7");
    Combo1 = control<FixedList>(this, "Combo1");
    Combo2 = control<FixedList>(this, "Combo2");
    Combo3 = control<FixedList>(this, "Combo3");
    Combo4 = control<FixedList>(this, "Combo4");
    Combo5 = control<FixedList>(this, "Combo5");
    Combo6 = control<FixedList>(this, "Combo6");
    Combo7 = control<FixedList>(this, "Combo7");
    Combo8 = control<FixedList>(this, "Combo8");
    Label7 = control<StatusLine>(this, "Label7");

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
    keepFixedSize(&box);
    // A dialog is a window of its own and takes the application's font, not this window's.
    box.setFont(font());
    // Some platform themes put icons on dialog buttons; this window's buttons have none.
    for (QAbstractButton *button : box.buttons()) {
        button->setIcon(QIcon());
    }
    box.exec();
}
