#pragma once

#include "ConsoleDriver.h"
#include "PlayerLines.h"

#include <QProcess>
#include <QString>

struct SampleTransmission;

// The console window in a child process (kelmi-bench --receiving-child) with its two serial
// ports on pseudo-terminals that this object plays the devices on, so that a reception can
// be timed from outside the console, the way a device or the operator meets it.
class ConsoleProcess
{
public:
    // Starts the child for that many receptions of the series (seriesReception).
    explicit ConsoleProcess(int receptions);
    ~ConsoleProcess();
    ConsoleProcess(const ConsoleProcess &) = delete;
    ConsoleProcess &operator=(const ConsoleProcess &) = delete;

    QString error() const { return m_error; } // empty when the child is up

    // The series' next reception: once the console waits, sends the first 16 bytes and,
    // once the console has read them, the 17th. Times from the return of that write() to
    // the moment the console's process no longer holds the port open.
    ConsoleDriver::Timing receive(int slot, const SampleTransmission &sent);

    // Waits for the child to end; false (and an error) if it failed.
    bool finish();

private:
    bool awaitWaiting();

    PlayerLines m_lines; // first: the child inherits KELMI_PORT1 and KELMI_PORT2
    QProcess m_child;
    QString m_error;
};
