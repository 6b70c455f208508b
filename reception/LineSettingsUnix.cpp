#include "LineSettingsUnix.h"

#include "LineSettings.h"

#include <QSerialPort>

void applyLineSettings(QSerialPort &port)
{
    port.setBaudRate(LineSettings::baudRate);
    port.setDataBits(QSerialPort::DataBits(LineSettings::dataBits));
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::StopBits(LineSettings::stopBits));
    port.setFlowControl(QSerialPort::NoFlowControl);
}
