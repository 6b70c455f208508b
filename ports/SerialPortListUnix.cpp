#include "SerialPortListUnix.h"

#include "SerialPortList.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace {

bool isCharacterDevice(const QString &path)
{
    struct stat device = {};
    return ::stat(QFile::encodeName(path).constData(), &device) == 0 && S_ISCHR(device.st_mode);
}

} // namespace

bool hasUart(const QString &ttyClass, const QString &name)
{
    QFile type(QDir(ttyClass).filePath(name + QStringLiteral("/type")));
    return type.open(QIODevice::ReadOnly) && type.readAll().trimmed() != "0";
}

QStringList presentSerialPorts(const QString &devices, const QString &ttyClass)
{
    const QDir folder(devices);
    QStringList ports;
    const auto add = [&](const QDir &in, const QStringList &patterns, auto &&counts) {
        QStringList names
            = in.entryList(patterns, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        sortAsCounted(names);
        for (const QString &name : names) {
            const QString path = in.filePath(name);
            if (isCharacterDevice(path) && counts(name)) {
                ports += path;
            }
        }
    };
    const auto any = [](const QString &) {
        return true;
    };
    add(folder, {QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")}, any);
    add(folder, {QStringLiteral("ttyS*")},
        [&](const QString &name) { return hasUart(ttyClass, name); });
    add(QDir(folder.filePath(QStringLiteral("serial/by-id"))), {QStringLiteral("*")}, any);
    return ports;
}

QStringList presentSerialPorts()
{
    return presentSerialPorts(QStringLiteral("/dev"), QStringLiteral("/sys/class/tty"));
}

// Linux numbers the machine's serial ports from 0.
QString machineSerialPort(PlayerSlot slot)
{
    return slot == PlayerSlot::One ? QStringLiteral("/dev/ttyS0") : QStringLiteral("/dev/ttyS1");
}
