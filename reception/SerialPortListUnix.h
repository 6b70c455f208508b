#pragma once

#include <QString>
#include <QStringList>

// The serial ports below `devices` (/dev), in this order: USB adapters (ttyUSB*, ttyACM*),
// the machine's own ports (ttyS*) that `ttyClass` (/sys/class/tty) gives a UART type, then
// the adapters' lasting names (serial/by-id/*), which stay the same whatever number an
// adapter gets. Only names that lead to a character device count.
QStringList presentSerialPorts(const QString &devices, const QString &ttyClass);
