#pragma once

#include <QStringList>

// The serial ports this machine has now, by the names an operator can give a player's port
// (SerialPortListUnix.cpp, SerialPortListWindows.cpp).
QStringList presentSerialPorts();

// Sorts port names as an operator counts them: ttyS2 before ttyS10, COM2 before COM10.
void sortAsCounted(QStringList &names);
