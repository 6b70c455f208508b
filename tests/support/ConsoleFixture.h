#pragma once

#include "PlayerLines.h"
#include "ScratchDirectory.h"
#include "WindowProbe.h"

#include <QString>

#include <memory>
#include <optional>

class Form1;
class SerialLine;

// The console's window in this process, as the window, reception and soak tests meet it:
// in a working directory of its own, with its two serial ports on pseudo-terminals whose
// far ends the caller plays (or, with Ports::AsNamed, on whatever KELMI_PORT1 and
// KELMI_PORT2 name already, e.g. a parent process's lines), shown and active.
class ConsoleFixture
{
public:
    enum class Ports { OnPseudoTerminals, AsNamed };

    explicit ConsoleFixture(Ports ports = Ports::OnPseudoTerminals);
    ~ConsoleFixture();
    ConsoleFixture(const ConsoleFixture &) = delete;
    ConsoleFixture &operator=(const ConsoleFixture &) = delete;

    // Why the working directory or the lines could not be set up; empty when they are.
    QString setUpError() const;

    // Builds the window, which reads the player data files found in the working directory
    // then, shows it and waits until it is active; false when it does not become active.
    bool showWindow();

    Form1 *form() const { return m_window.form; }
    const WindowProbe &window() const { return m_window; }
    // The window's serial port.
    SerialLine *port() const;
    // The far end of serial port 1 or 2 (Ports::OnPseudoTerminals).
    PseudoTerminal &line(int portNumber)
    {
        Q_ASSERT(m_lines);
        return m_lines->line(portNumber);
    }

private:
    ScratchDirectory m_directory;
    std::optional<PlayerLines> m_lines;
    std::unique_ptr<Form1> m_form;
    WindowProbe m_window {nullptr};
};
