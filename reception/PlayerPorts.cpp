#include "PlayerPorts.h"

#include <QtGlobal>

QString serialPortName(PlayerSlot slot)
{
    const int portNumber = int(slot);
    const QByteArray variable = "KELMI_PORT" + QByteArray::number(portNumber);
    const QString configured = qEnvironmentVariable(variable.constData());
    if (!configured.isEmpty()) {
        return configured;
    }
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    // Port 1 is the first serial port, ttyS0.
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

QByteArray deviceGreeting(PlayerSlot slot)
{
    if (slot == PlayerSlot::Two) {
        return QByteArrayLiteral("AT\r");
    }
    return {};
}
