#pragma once

#include <QStringView>

// The machine's first and second serial ports, which players 1 and 2 use unless told
// otherwise (MachineSerialPortsUnix.cpp, MachineSerialPortsWindows.cpp).
extern const QStringView machineSerialPorts[2];
