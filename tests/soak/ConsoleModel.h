#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <optional>

// What the console's window and working directory must show after each operator action,
// kept by the test: the eight list rows, the seven buttons' enabled flags, the status label
// and both player data files. What a reception decodes to, how its bytes show and a record's
// file bytes are the libraries' (Decoding.h, ReceivedText.h, PlayerFiles.h, each tested on
// its own); which lists, label and files they reach, and when, is the model's.
class ConsoleModel
{
public:
    struct State
    {
        std::array<int, 8> lists {-1, -1, -1, -1, -1, -1, -1, -1}; // Combo1..Combo8
        std::array<bool, 7> buttons {}; // Command1..Command7
        QString label; // whole, as its tooltip holds it
        std::array<std::optional<QByteArray>, 2> files; // player1.dat, player2.dat

        friend bool operator==(const State &, const State &) = default;
    };

    // A console started with these player data files in its working directory.
    ConsoleModel(const std::optional<QByteArray> &file1, const std::optional<QByteArray> &file2);

    const State &state() const { return m_state; }
    bool buttonEnabled(int command) const { return m_state.buttons[command - 1]; }

    // A click on the port button of slot 1 or 2, up to the wait.
    void startReception(int slot);
    // The waiting reception of the slot read these bytes.
    void completeReception(int slot, const QByteArray &bytes);
    // A click on the abort button.
    void abort();
    // A click on the slot's save button; returns the message it shows, if any.
    std::optional<QString> save(int slot);
    // A click on the slot's delete button.
    void remove(int slot);
    // The operator picks a row (or -1: clears the field, or types into it) in a list.
    void pick(int combo, int row);

    // A readable description of a state, for failure messages.
    static QString describe(const State &state);
    // The lists that the slot's record is saved from, in its order: device kind, character and
    // strength (which a reception sets), then background and BGM for slot 1.
    static QList<int> recordLists(int slot);

private:
    // A reception waits (the abort button on) or not (the port buttons on).
    void showWaiting(bool waiting);

    State m_state;
};
