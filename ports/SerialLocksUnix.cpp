#include "SerialLocksUnix.h"

#include "SerialDeviceUnix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <limits>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <sys/sysmacros.h>

QStringList serialLockFiles(const QString &portName)
{
    QStringList lockNames;
    for (QString name : {portName, serialDevicePath(portName)}) {
        lockNames += QStringLiteral("LCK..") + QFileInfo(name).fileName();
        if (name.startsWith(QLatin1String("/dev/"))) {
            name.remove(0, 5);
        }
        lockNames += QStringLiteral("LCK..") + name.replace(u'/', u'_');
    }
    lockNames.removeDuplicates();
    const QStringList directories {
        QStringLiteral("/var/lock"),
        QStringLiteral("/etc/locks"),
        QStringLiteral("/var/spool/locks"),
        QStringLiteral("/var/spool/uucp"),
        QStringLiteral("/tmp"),
        QStringLiteral("/var/tmp"),
        QStringLiteral("/var/lock/lockdev"),
        QStringLiteral("/run/lock"),
        QStandardPaths::writableLocation(QStandardPaths::TempLocation),
    };
    QStringList existing;
    for (const QString &directory : directories) {
        for (const QString &lockName : lockNames) {
            const QFileInfo lock(QDir(directory).filePath(lockName));
            // /var/lock is usually a link to /run/lock: one file, named once.
            if (lock.isFile() && !existing.contains(lock.canonicalFilePath())) {
                existing += lock.canonicalFilePath();
            }
        }
    }
    return existing;
}

namespace {

// When the machine last started, in seconds since the epoch (0 when unknown).
qint64 bootTime()
{
    QFile stat(QStringLiteral("/proc/stat"));
    if (!stat.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (QByteArray line = stat.readLine(); !line.isEmpty(); line = stat.readLine()) {
        if (line.startsWith("btime ")) {
            return line.mid(6).trimmed().toLongLong();
        }
    }
    return 0;
}

bool isRunning(qint64 pid)
{
    // A number that is no process ID at all (4294967296 would become process 0, this
    // process's group) names no process. EPERM: another user's process, alive.
    return pid > 0 && pid <= std::numeric_limits<pid_t>::max()
        && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

// The program a process runs, by the name it was started with (its first argument), which
// /proc shows every user.
QString programOf(qint64 pid)
{
    QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!commandLine.open(QIODevice::ReadOnly)) {
        return QString();
    }
    const QByteArray first = commandLine.read(4096).split('\0').value(0);
    return QFileInfo(QFile::decodeName(first)).fileName();
}

} // namespace

std::optional<SerialLockHolder> lockFileHolder(const QString &portName)
{
    const qint64 started = bootTime();
    for (const QString &lockFile : serialLockFiles(portName)) {
        QFile lock(lockFile);
        if (QFileInfo(lockFile).lastModified().toSecsSinceEpoch() < started) {
            continue;
        }
        if (!lock.open(QIODevice::ReadOnly)) {
            // Written by a program of another user run with umask 077.
            return SerialLockHolder();
        }
        // Qt writes the holder's PID and program name, other programs (minicom) the PID alone.
        const QList<QByteArray> lines = lock.read(4096).split('\n');
        bool isNumber = false;
        const qint64 pid = lines.value(0).trimmed().toLongLong(&isNumber);
        if (isNumber && isRunning(pid)) {
            const QString program = QString::fromLocal8Bit(lines.value(1).trimmed());
            return SerialLockHolder {pid, program.isEmpty() ? programOf(pid) : program};
        }
    }
    return std::nullopt;
}

std::optional<SerialLockHolder> kernelLockHolder(const QString &devicePath)
{
    struct stat device = {};
    QFile locks(QStringLiteral("/proc/locks"));
    if (::stat(QFile::encodeName(devicePath).constData(), &device) != 0
        || !locks.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    // "1: FLOCK  ADVISORY  WRITE 1234 00:05:87 0 EOF": the holder's PID, then the locked file
    // as its file system's device numbers in hexadecimal and its inode. Waiters ("1: -> FLOCK")
    // hold nothing.
    const QByteArray file = QByteArray::number(major(device.st_dev), 16).rightJustified(2, '0')
        + ':' + QByteArray::number(minor(device.st_dev), 16).rightJustified(2, '0') + ':'
        + QByteArray::number(quint64(device.st_ino));
    for (QByteArray line = locks.readLine(); !line.isEmpty(); line = locks.readLine()) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 5 && fields.at(1) == "FLOCK" && fields.at(5) == file) {
            const qint64 pid = fields.at(4).toLongLong();
            return SerialLockHolder {pid, programOf(pid)};
        }
    }
    return std::nullopt;
}
