#pragma once

#include <QString>
#include <QStringList>

// The serial ports below `devices` (/dev), in this order: USB adapters (ttyUSB*, ttyACM*),
// the machine's own ports (ttyS*) that `ttyClass` (/sys/class/tty) gives a UART type, then
// the adapters' lasting names (serial/by-id/*), which stay the same whatever number an
// adapter gets. Only names that lead to a character device count.
QStringList presentSerialPorts(const QString &devices, const QString &ttyClass);

// Whether the machine's own port `name` (ttyS*) below `ttyClass` has a UART: Linux makes
// ttyS0 to ttyS31 whether or not a port is there, and a missing one's type is 0 (as is a
// pulled PCI card's, whose node stays).
bool hasUart(const QString &ttyClass, const QString &name);
