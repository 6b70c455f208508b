#pragma once

#include "WindowProbe.h"

#include <QString>

#include <functional>
#include <memory>

class Form1;
class PlayerLines;
class SerialLine;
class ScratchDirectory;
struct SampleTransmission;

// The real console window in this process, in a working directory of its own, with its
// two serial ports on pseudo-terminals that this driver plays the devices on, or that
// the parent process named in KELMI_PORT1 and KELMI_PORT2 and plays. Every action is a
// QTest click on the window's buttons, as the operator makes it.
class ConsoleDriver
{
public:
    enum class Devices { PlayedHere, PlayedByParent };

    explicit ConsoleDriver(Devices devices = Devices::PlayedHere);
    ~ConsoleDriver();
    ConsoleDriver(const ConsoleDriver &) = delete;
    ConsoleDriver &operator=(const ConsoleDriver &) = delete;

    QString error() const { return m_error; } // empty when the console is up

    struct Timing
    {
        QString error; // what went wrong; empty when the console did what it should
        double ms = 0;
    };

    // One reception on the slot's port button: the device sends the first 16 bytes, and
    // once the console holds them, the rest from a timer inside the wait. Times from the
    // return of that last write() to the click handler's return, and checks the rows.
    Timing receive(int slot, const SampleTransmission &sent);

    // One reception on the slot's port button with the device played by the parent:
    // waiting runs once inside the wait, to tell the parent to send. Returns what went
    // wrong, empty when the rows and the status line show what was sent.
    QString receiveFromParent(int slot, const SampleTransmission &sent,
                              const std::function<void()> &waiting);

    // A reception on port 1 that receives nothing and is aborted after waitMs; the share of
    // one core (in %) that this process used meanwhile (user + system time / wall time).
    Timing idleWait(int waitMs, double *cpuPercent);

    // One save click with every list of the slot set, until the file is committed.
    Timing save(int slot);
    // One delete click on a saved slot.
    Timing remove(int slot);

private:
    SerialLine *port() const;
    // Aborts a reception still waiting after a while, so that a fault shows as an error,
    // not a hang; the timer dies with steps.
    void abortLater(QObject *steps);
    // What differs between what was sent and what the slot's lists and the status line show.
    QString shownError(int slot, const SampleTransmission &sent) const;

    QString m_error;
    std::unique_ptr<ScratchDirectory> m_directory;
    std::unique_ptr<PlayerLines> m_lines;
    std::unique_ptr<Form1> m_form;
    WindowProbe m_window {nullptr};
};
