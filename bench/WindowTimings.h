#pragma once

#include "ConsoleWindow.h"

#include <QString>

struct ExampleTransmission;

// The console's window in this process (ConsoleWindow), on pseudo-terminals whose devices
// this object plays; every action is a QTest click on the window's buttons, as the
// operator makes it, timed.
class WindowTimings
{
public:
    struct Timing
    {
        QString error; // what went wrong; empty when the console did what it should
        double ms = 0;
        double cpuPercent = 0; // idleWait: this process's share of one core meanwhile
    };

    WindowTimings();
    QString error() const { return m_error; } // empty when the window is up

    // One reception on the slot's port button: the device sends the first 16 bytes and,
    // once the console holds them, the rest from a timer inside the wait. Times from the
    // return of that last write() to the click handler's return, and checks the rows.
    Timing receive(int slot, const ExampleTransmission &sent);
    // A reception on port 1 that receives nothing and is aborted after waitMs, with the
    // share of one core (user + system time over wall time) that this process used.
    Timing idleWait(int waitMs);
    // One save click with every list set, until the file is committed; then the delete
    // click that makes the slot ready for the next save (not timed).
    Timing save(int slot);

private:
    ConsoleWindow m_console;
    QString m_error;
};
