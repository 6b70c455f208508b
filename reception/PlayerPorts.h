#pragma once

#include "PlayerSlot.h"

#include <QByteArray>
#include <QString>

// Each player's serial port: the device it stands for and what the console greets it with.

// Which device a player's port stands for. KELMI_PORT1 / KELMI_PORT2 name it when set and
// not empty (a USB adapter, or a pseudo-terminal for a rehearsal); otherwise port 1 and
// port 2 are the machine's first and second serial ports.
QString serialPortName(PlayerSlot slot);

// What the console sends to the device right after opening the port: port 2's devices
// expect "AT" and a carriage return; port 1's get nothing.
QByteArray deviceGreeting(PlayerSlot slot);
