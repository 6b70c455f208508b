#pragma once

#include "PlayerLines.h"
#include "SerialReception.h"

#include <QObject>

#include <optional>

class SerialLine;

// The reception's cases that every platform runs, on both players' lines as pseudo-terminals.
// Each platform's test (TestSerialReceptionUnix.cpp, TestSerialReceptionWindows.cpp) adds
// its own cases and the rows in which its ports fail its own way.
class TestSerialReception : public QObject
{
    Q_OBJECT

protected:
    PseudoTerminal &line(int portNumber) { return m_lines->line(portNumber); }
    static SerialLine *portOf(SerialReception &reception);

    // The machine's own serial port 1 or 2, which a player's port is without KELMI_PORT1/2.
    virtual QString machinePortName(int portNumber) const = 0;
    // Why `path`, held by another program, opens all the same, or empty when it does not.
    virtual QString whyHeldPortsOpen(const QString &path) const = 0;
    // Before each case: what an earlier case may have left behind for a device of that name.
    virtual void forgetLocksOf(const QString &device) = 0;
    // The holder that the platform names for a port that `program` holds; empty where it
    // does not tell.
    virtual QString holderNamed(const QString &program) const = 0;
    // Rows of portThatCannotBeOpened in which only this platform's ports fail.
    virtual void addOpenFailureRows() { }
    // Holds the device at `path` as another program that wants it alone does (the rows of
    // addOpenFailureRows that ask for it); false when it cannot.
    virtual bool holdExclusively(const QString &) { return false; }
    // Lets the device go again; false when the hold had been taken away meanwhile.
    virtual bool releaseExclusiveHold() { return true; }
    // The system's code that a line which hung up during a wait reports, where this platform
    // answers one code for certain; none: hangUpDuringWait checks the kind of failure alone.
    virtual std::optional<int> hangUpCode() const { return std::nullopt; }

private Q_SLOTS:
    void init();
    void cleanup();

    void portNames_data();
    void portNames();
    void greeting_data();
    void greeting();

    void receivesTransmission_data();
    void receivesTransmission();
    void discardsBytesFromBeforeTheOpen_data();
    void discardsBytesFromBeforeTheOpen();
    void leavesLaterBytesOnTheLine();
    void sendsGreetingBeforeFirstPoll_data();
    void sendsGreetingBeforeFirstPoll();
    void abortEndsWait();
    void abortedReceptionLeavesNestedOneAlone();
    void newReceptionEndsWaitingOne();
    void destroyedDuringWait();
    void consoleOfItsOwnReceives();
    void portThatCannotBeOpened_data();
    void portThatCannotBeOpened();
    void hangUpDuringWait_data();
    void hangUpDuringWait();

private:
    std::optional<PlayerLines> m_lines;
};
