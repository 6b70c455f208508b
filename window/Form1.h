#pragma once

#include "PlayerFiles.h"

#include <QWidget>

class FixedList;
class QGroupBox;
class QPushButton;
class SerialReception;
class StatusLine;

// The console's one window: the reception frame across the top and one frame per
// player below. Controls carry their design names; handlers are named after the
// control and event that run them.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);

protected:
    // Closing the window during a wait ends that reception so the program can exit.
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void setTabOrder();
    void connectHandlers();

    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();

    // The controls that one player slot's handlers act on, gathered once.
    struct PlayerControls
    {
        PlayerSlot slot;
        QPushButton *portButton;
        // What a reception fills and, in this order, the start of the player's record.
        FixedList *deviceKind;
        FixedList *character;
        FixedList *strength;
        // Background and BGM: they travel with player 1 only, after the lists above.
        QList<FixedList *> matchLists;
        QPushButton *saveButton;
        QPushButton *deleteButton;
    };
    void gatherPlayerControls();

    void receive(const PlayerControls &player);
    void enablePortButtons(bool enabled);
    void save(const PlayerControls &player);
    void remove(const PlayerControls &player);
    void showFileState(const PlayerControls &player);
    void showMessage(const QString &text, bool failure);

    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QGroupBox *Frame3 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *Command7 = nullptr;
    FixedList *Combo1 = nullptr;
    FixedList *Combo2 = nullptr;
    FixedList *Combo3 = nullptr;
    FixedList *Combo4 = nullptr;
    FixedList *Combo5 = nullptr;
    FixedList *Combo6 = nullptr;
    FixedList *Combo7 = nullptr;
    FixedList *Combo8 = nullptr;
    StatusLine *Label7 = nullptr;
    PlayerControls m_player1 {};
    PlayerControls m_player2 {};
    SerialReception *m_reception = nullptr; // owns the serial port MSComm1
    QPushButton *m_portButton = nullptr; // the one that started the latest reception
};
