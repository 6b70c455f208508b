#include "MachineSerialPorts.h"

// Linux numbers the serial ports from 0.
constinit const QStringView machineSerialPorts[2] = {u"/dev/ttyS0", u"/dev/ttyS1"};
