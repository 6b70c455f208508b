#include "ProcessStatus.h"

#include <QFile>

#include <climits>
#include <cstring>
#include <dirent.h>
#include <unistd.h>

qint64 processStatusKiB(qint64 pid, const char *field)
{
    QFile status(pid == 0 ? QStringLiteral("/proc/self/status")
                          : QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix)) {
            // "VmHWM:	   34120 kB"
            bool ok = false;
            const qint64 value
                = line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong(&ok);
            return ok ? value : -1;
        }
    }
    return -1;
}

bool processHasOpen(qint64 pid, const QByteArray &path)
{
    // Plain system calls: the benchmark reads this in a tight loop.
    const QByteArray folder = "/proc/" + QByteArray::number(pid) + "/fd";
    DIR *descriptors = ::opendir(folder.constData());
    if (!descriptors) {
        return false;
    }
    bool found = false;
    char target[PATH_MAX];
    while (const dirent *entry = ::readdir(descriptors)) {
        const ssize_t length
            = ::readlinkat(::dirfd(descriptors), entry->d_name, target, sizeof target);
        if (length == path.size() && std::memcmp(target, path.constData(), size_t(length)) == 0) {
            found = true;
            break;
        }
    }
    ::closedir(descriptors);
    return found;
}
