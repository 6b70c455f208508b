#pragma once

#include "ConsoleProcess.h"
#include "PlayerLines.h"
#include "SerialLine.h"
#include "SerialReception.h"

#include <QObject>
#include <QTemporaryDir>

#include <functional>
#include <optional>

// A player's port that a row of portThatCannotBeOpened keeps from opening: the row's setup
// makes what the port is to name in a scratch folder, or holds the player's line, and returns
// the name that the port is given.
struct UnopenablePort
{
    UnopenablePort(int portNumber, PseudoTerminal &line);

    const int portNumber;
    const QString line; // the player's line, by its own name
    qint64 holderPid; // the process that holds the line: this one unless a console does
    QTemporaryDir scratch;
    SerialLine heldHere;
    ConsoleProcess heldByConsole;

    // That name in the scratch folder, as the platform writes it.
    QString scratchName(const QString &name) const;
    // Makes a file, a folder, or a link to `target` (and the folders above it) of that name
    // in the scratch folder; returns its scratchName.
    QString makeFile(const QString &name);
    QString makeFolder(const QString &name);
    QString makeLink(const QString &name, const QString &target);
    // A link outside /dev to `target`, as a rehearsal names its pseudo-terminal (socat's link).
    QString linkTo(const QString &target)
    {
        return makeLink(QStringLiteral("kelmi-console"), target);
    }
    // Holds the line by that name, in another port object of this process or in a second
    // console; returns the name.
    QString holdHere(const QString &name);
    QString holdInConsole(const QString &name);
};
using MakeUnopenable = std::function<QString(UnopenablePort &)>;
Q_DECLARE_METATYPE(MakeUnopenable)

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
    // A row "port <portNumber>, <what>" of portThatCannotBeOpened: the failure that `make`
    // sets up. `reason`: the system's, for Other and NotSerialPort; `holderProgram`: for Held,
    // the program that the platform names as the holder (empty where it names none), which is
    // the process that holds the device.
    static void addOpenFailureRow(int portNumber, const char *what, PortFailure::Kind kind,
                                  SystemError::Kind reason, const QString &holderProgram,
                                  const MakeUnopenable &make);
    // Lets go of a device that a row of addOpenFailureRows held as a program that wants it
    // alone does; false when the hold had been taken away meanwhile.
    virtual bool releaseExclusiveHold() { return true; }
    // The system's code that a line which hung up during a wait reports, where this platform
    // answers one code for certain; none: hangUpDuringWait checks the kind of failure alone.
    virtual std::optional<int> hangUpCode() const { return std::nullopt; }

private Q_SLOTS:
    void init();
    void cleanup();

    void portNames_data();
    void portNames();

    void receivesTransmission_data();
    void receivesTransmission();
    void sendsGreetingBeforeFirstPoll_data();
    void sendsGreetingBeforeFirstPoll();
    void abortEndsWait();
    void newReceptionEndsWaitingOne_data();
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
