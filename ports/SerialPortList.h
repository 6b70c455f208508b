#pragma once

#include "PlayerSlot.h"

#include <QString>
#include <QStringList>

// The device a player's port stands for. The port's variable (KELMI_PORT1 / KELMI_PORT2)
// names it when set and not empty (a USB adapter, or a pseudo-terminal for a rehearsal);
// otherwise port 1 and port 2 are the machine's first and second serial ports.
struct PlayerPort
{
    QString device;
    bool configured = false; // named by the variable
};

PlayerPort playerPort(PlayerSlot slot);

// The machine's own serial port for a player's slot: /dev/ttyS0 and /dev/ttyS1 on Linux, COM1
// and COM2 on Windows (SerialPortListUnix.cpp, SerialPortListWindows.cpp).
QString machineSerialPort(PlayerSlot slot);

// The serial ports this machine has now, by the names an operator can give a player's port
// (SerialPortListUnix.cpp, SerialPortListWindows.cpp).
QStringList presentSerialPorts();

// Sorts port names as an operator counts them: ttyS2 before ttyS10, COM2 before COM10.
void sortAsCounted(QStringList &names);
