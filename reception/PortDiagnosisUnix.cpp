#include "PortDiagnosis.h"

#include "SerialDeviceUnix.h"
#include "SerialLocksUnix.h"
#include "SerialPortList.h"

#include <QFile>

#include <limits>
#include <optional>

#include <cerrno>
#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What a lock file of the device says of its holder.
struct LockHolder
{
    QString lockFile;
    qint64 pid = 0; // 0 when this user may not read the lock file
    QString program; // empty when the lock file does not say
    bool alive = false; // false: the lock is stale, its process gone
};

// Qt writes the holder's PID and program name in the lock file, other programs at least the
// PID. A live holder comes first; a stale lock is one this user could not take over.
std::optional<LockHolder> lockHolder(const QString &path)
{
    std::optional<LockHolder> found;
    for (const QString &lockFile : serialLockFiles(path)) {
        QFile lock(lockFile);
        if (!lock.open(QIODevice::ReadOnly)) {
            // Written by a program of another user run with umask 077. A program removes its
            // lock when it closes the device, so a lock is far more often held than stale.
            found = LockHolder {lockFile, 0, QString(), true};
            break;
        }
        const QList<QByteArray> lines = lock.read(4096).split('\n');
        bool isNumber = false;
        const qint64 pid = lines.value(0).trimmed().toLongLong(&isNumber);
        // A number that is no process ID at all (4294967296 would become process 0, this
        // process's group) names no holder.
        const bool isProcessId = isNumber && pid > 0 && pid <= std::numeric_limits<pid_t>::max();
        const bool alive = isProcessId && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
        if (alive || !found) {
            found = LockHolder {lockFile, pid, QString::fromLocal8Bit(lines.value(1).trimmed()),
                                alive};
        }
        if (alive) {
            break;
        }
    }
    return found;
}

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
    if (::stat(QFile::encodeName(path).constData(), &device) != 0
        && (errno == ENOENT || errno == ENOTDIR)) {
        PortFailure missing = failure(PortFailure::Missing, error);
        missing.presentPorts = presentSerialPorts();
        return missing;
    }
    // Lock files and the exclusive flag are the device's, whatever name it was given by.
    SerialDevice resolved(path);
    if (const std::optional<LockHolder> holder = lockHolder(resolved.path())) {
        PortFailure locked
            = failure(holder->alive ? PortFailure::Held : PortFailure::StaleLock, error);
        locked.holderProgram = holder->program;
        locked.holderPid = holder->pid;
        // A stale lock that the port could not take over belongs to another user.
        locked.lockFile = holder->alive ? QString() : holder->lockFile;
        return locked;
    }
    switch (resolved.probe()) {
    case EBUSY:
        return failure(PortFailure::Held, error);
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
    case 0:
        // Some devices answer a terminal's calls with EINVAL (/dev/random), not ENOTTY.
        if (!resolved.isTerminal()) {
            return failure(PortFailure::NotSerialPort, error);
        }
        [[fallthrough]];
    default:
        return failure(error.kind == SystemError::NotSerialPort ? PortFailure::NotSerialPort
                                                                : PortFailure::Other,
                       error);
    }
}
