#pragma once

class QSerialPort;

// Sets a port to the shared line settings (LineSettings.h): the console's own line and the
// device simulator both talk through QSerialPort on Linux.
void applyLineSettings(QSerialPort &port);
