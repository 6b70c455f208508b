#pragma once

#include <QStringList>

// The lock files that name a serial device: "LCK..<device>" (its name below /dev, '/' as
// '_') in one of the usual lock directories, written by QSerialPort and most other serial
// programs while they hold the device. Returns the ones that exist now.
QStringList serialLockFiles(const QString &devicePath);
