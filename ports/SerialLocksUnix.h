#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The lock files that name the serial device behind a port name, written by minicom, Qt's
// serial port and other serial programs while they hold it: "LCK.." and the name, as given or
// of the device it stands for, below /dev with '/' as '_' (Qt) or its last part (minicom), in
// one of the usual lock directories. Returns the ones that exist now.
QStringList serialLockFiles(const QString &portName);

// A program that holds a serial device, as its lock says.
struct SerialLockHolder
{
    qint64 pid = 0; // 0 when its lock does not say
    QString program; // empty when its lock does not say
};

// The holder that a lock file of the device names, if that holder still runs. A lock file
// whose process is gone, or written before the machine last started (its PID may be another
// process's since), holds nothing. One that this user may not read holds the device: a
// program removes its lock when it lets the device go, so a lock is far more often held than
// stale.
std::optional<SerialLockHolder> lockFileHolder(const QString &portName);

// The process that holds the device's kernel lock (flock), as consoles and picocom take it,
// with the program it runs.
std::optional<SerialLockHolder> kernelLockHolder(const QString &devicePath);
