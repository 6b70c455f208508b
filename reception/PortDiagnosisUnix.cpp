#include "PortDiagnosis.h"
#include "PortMessages.h"
#include "SerialDeviceUnix.h"
#include "SerialLocksUnix.h"

#include <QFile>

#include <limits>
#include <optional>

#include <cerrno>
#include <csignal>
#include <grp.h>
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

// "minicom、PID 1234", "PID 1234", or nothing when the lock file could not be read.
QString holderName(const LockHolder &holder)
{
    if (holder.pid == 0) {
        return QString();
    }
    const QString pid = QStringLiteral("PID ") + QString::number(holder.pid);
    return holder.program.isEmpty() ? pid : holder.program + u'、' + pid;
}

QString groupName(gid_t gid)
{
    const group *entry = ::getgrgid(gid);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString::number(gid);
}

QString staleLockMessage(const QString &port, const QString &path, const QString &lockFile)
{
    // Left by a program of another user that ended without closing the device; a lock
    // directory that is sticky lets only that user (or root) remove it.
    return QStringLiteral("%1を開けません: %2: 古いロックファイル %3 が残っています\n")
               .arg(port, path, lockFile)
        + QStringLiteral("管理者にこのファイルを削除してもらってください。");
}

QString notPermittedMessage(const QString &port, const QString &path, const struct stat &device)
{
    // Serial devices are usually open to one group (dialout on Debian); joining it helps
    // only when that group may read and write the device.
    const QString group = groupName(device.st_gid);
    const bool groupMayUse = (device.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    return QStringLiteral("%1を開く権限がありません: %2\n").arg(port, path)
        + (groupMayUse
               ? QStringLiteral("ユーザーをグループ %1 に加えて、ログインし直してください。")
                     .arg(group)
               : QStringLiteral("グループ %1 にも読み書きの権限がありません。"
                                "デバイスの権限を管理者に設定してもらってください。")
                     .arg(group));
}

} // namespace

QString openFailureMessage(PlayerSlot slot, const QString &path, const SystemError &error)
{
    const QString port = portLabel(slot);
    struct stat device = {};
    if (::stat(QFile::encodeName(path).constData(), &device) != 0
        && (errno == ENOENT || errno == ENOTDIR)) {
        return PortMessage::missing(slot, path,
                                    QStringLiteral("KELMI_PORT%1 の設定").arg(int(slot)));
    }
    // Lock files and the exclusive flag are the device's, whatever name it was given by.
    SerialDevice resolved(path);
    const std::optional<LockHolder> holder = lockHolder(resolved.path());
    if (holder && holder->alive) {
        return PortMessage::held(slot, path, holderName(*holder));
    }
    if (holder) {
        // The port could not take over a stale lock: it belongs to another user.
        return staleLockMessage(port, path, holder->lockFile);
    }
    switch (resolved.probe()) {
    case EBUSY:
        return PortMessage::held(slot, path);
    case EACCES:
    case EPERM:
        return notPermittedMessage(port, path, device);
    default:
        return PortMessage::notOpened(slot, path, error);
    }
}
