#include "MachineSerialPorts.h"

constinit const QStringView machineSerialPorts[2] = {u"COM1", u"COM2"};
