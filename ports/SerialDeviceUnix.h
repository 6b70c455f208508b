#pragma once

#include <QString>

// The device that a configured serial port name stands for (Linux). A link such as
// /dev/serial/by-id/... or a rehearsal's socat link is resolved to the device itself, so that
// every program's locks are the device's whatever name each program uses. The name as given
// when it resolves to nothing.
QString serialDevicePath(const QString &portName);

// Opens the device behind a port name for a reception and holds it against every other
// program that takes part in locking: the descriptor, or -1 with errno set. EBUSY: another console
// or program holds it (its lock, its lock file, or the exclusive flag); ENOTTY: it is no terminal,
// as every serial port is. The hold is the kernel's lock on the device (flock), so it ends with the
// descriptor, however the program ends.
int openSerialDevice(const QString &portName);
