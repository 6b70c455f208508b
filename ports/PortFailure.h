#pragma once

#include "PlayerSlot.h"
#include "SystemError.h"

#include <QString>
#include <QStringList>

// Why a player's port could not serve a reception, as the platform found out. The operator's
// words for it are the window's business (OperatorMessages).
struct PortFailure
{
    enum Kind {
        Missing, // no device of that name
        Held, // another program, or another console, has it open
        NotPermitted, // this user may not open it
        NotSerialPort, // the name is no serial port
        LineLost, // the line went away during the wait
        Other, // any other failure: `error` says why
    };

    Kind kind = Other;
    PlayerSlot slot = PlayerSlot::One;
    QString device; // the port's name, as configured or by default
    bool configured = false; // named by the port's variable (KELMI_PORT1 / KELMI_PORT2)
    SystemError error; // what the system reported
    QString holderProgram; // Held: the program that has it, where known
    qint64 holderPid = 0; // Held: its process, where known
    QString user; // NotPermitted: this user
    QString group; // NotPermitted: the device's group
    bool groupMayUse = false; // NotPermitted: that group may read and write the device
    QStringList presentPorts; // Missing: the serial ports this machine has now

    bool operator==(const PortFailure &) const = default;
};

// Why the port at `path` did not open: a device that is not there (and which ports there
// are), one that another program holds (and which), one that this user may not open (and
// the device's group), or else the system's reason. Each platform finds out in its own way
// (PortDiagnosisUnix.cpp looks at the device and its lock files), so call it only right after
// the port itself failed to open with `error`. The slot, device and its origin are the
// caller's to fill in.
PortFailure diagnoseOpenFailure(const QString &path, const SystemError &error);
