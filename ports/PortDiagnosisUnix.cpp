#include "PortFailure.h"

#include "SerialDeviceUnix.h"
#include "SerialLocksUnix.h"
#include "SerialPortList.h"
#include "SerialPortListUnix.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString groupName(gid_t gid)
{
    const group *entry = ::getgrgid(gid);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString::number(gid);
}

QString userName()
{
    const passwd *entry = ::getpwuid(::geteuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(::geteuid());
}

PortFailure failure(PortFailure::Kind kind, const SystemError &error)
{
    PortFailure found;
    found.kind = kind;
    found.error = error;
    return found;
}

} // namespace

PortFailure diagnoseOpenFailure(const QString &path, const SystemError &error)
{
    struct stat device = {};
    const bool absent = ::stat(QFile::encodeName(path).constData(), &device) != 0
        && (errno == ENOENT || errno == ENOTDIR);
    // A machine's own port without a UART behind it is a name with no port, as is a pulled
    // PCI card's, whose node stays.
    const QString name = QFileInfo(serialDevicePath(path)).fileName();
    if (absent
        || (name.startsWith(QLatin1String("ttyS"))
            && !hasUart(QStringLiteral("/sys/class/tty"), name))) {
        PortFailure missing = failure(PortFailure::Missing, error);
        missing.presentPorts = presentSerialPorts();
        return missing;
    }
    switch (error.code) {
    case EBUSY: {
        // The kernel's lock is the device's, whatever name it was given by; a program that
        // made it exclusive without a lock of any kind stays unnamed.
        PortFailure busy = failure(PortFailure::Held, error);
        std::optional<SerialLockHolder> holder = kernelLockHolder(serialDevicePath(path));
        if (!holder) {
            holder = lockFileHolder(path);
        }
        if (holder) {
            busy.holderProgram = holder->program;
            busy.holderPid = holder->pid;
        }
        return busy;
    }
    case EACCES:
    case EPERM: {
        PortFailure refused = failure(PortFailure::NotPermitted, error);
        refused.user = userName();
        refused.group = groupName(device.st_gid);
        // Serial devices are usually open to one group (dialout on Debian); joining it helps
        // only when that group may read and write the device.
        refused.groupMayUse = (device.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
        return refused;
    }
    case ENOTTY:
    case EISDIR: // a folder named as the port
        return failure(PortFailure::NotSerialPort, error);
    default:
        return failure(PortFailure::Other, error);
    }
}
