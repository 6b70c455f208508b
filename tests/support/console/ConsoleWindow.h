#pragma once

#include "PlayerLines.h"
#include "ScratchDirectory.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class FixedList;
class Form1;
class QLabel;
class QPushButton;
class SerialLine;

// The console's window in this process, as the window, reception and soak tests and the
// benchmark meet it: in a working directory of its own, with its two serial ports on
// pseudo-terminals whose far ends the caller plays (or, with Ports::AsNamed, on whatever
// KELMI_PORT1 and KELMI_PORT2 name already, e.g. a parent process's lines), shown and
// active; its controls found by their names.
class ConsoleWindow
{
public:
    enum class Ports { OnPseudoTerminals, AsNamed };

    explicit ConsoleWindow(Ports ports = Ports::OnPseudoTerminals);
    ~ConsoleWindow();
    Q_DISABLE_COPY(ConsoleWindow)

    // Why the working directory or the lines could not be set up; empty when they are.
    QString setUpError() const;

    // Builds the window, which reads the player data files found in the working directory
    // then, shows it and waits until it is active; false when it does not become active.
    bool showWindow();

    Form1 *form() const { return m_form.get(); }
    // The window's serial port.
    SerialLine *port() const;
    // The far end of serial port 1 or 2 (Ports::OnPseudoTerminals).
    PseudoTerminal &line(int portNumber)
    {
        Q_ASSERT(m_lines);
        return m_lines->line(portNumber);
    }

    QPushButton *button(int n) const;
    FixedList *list(int n) const;
    QLabel *label(int n) const;
    // The rows selected in Combo1..Combo8 (-1: none).
    QList<int> listIndexes() const;
    // The texts their fields show, typed or picked.
    QStringList listTexts() const;
    // The enabled flags of Command1..Command7 as a string of 0s and 1s, e.g. "1101100".
    QString buttonStates() const;
    // Selects that row in Combo1..Combo8 (-1: none).
    void selectInEveryList(int row) const;
    // The name of the control with the keyboard focus, followed by "*" when the style draws
    // the focus (after a move by keyboard); empty when nothing has the focus.
    QString focus() const;
    // What keeps the status line from reading cleanly: a second line, a control character,
    // a text wider than the label, or one cut with "…" that is not the start of its
    // tooltip's first line; empty when there is nothing.
    QString statusProblem() const;
    // Clicks 中断 if a reception waits: what a wait's watchdog does.
    void abortWaiting() const;

private:
    ScratchDirectory m_directory;
    std::optional<PlayerLines> m_lines;
    std::unique_ptr<Form1> m_form;
};
