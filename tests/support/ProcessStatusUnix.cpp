#include "ProcessStatusUnix.h"

#include <QFile>

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

QStringList processMappedFiles(qint64 pid)
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    if (!maps.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList files;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        // "7f3a2c000000-7f3a2c021000 r--p 00000000 08:01 1234   /usr/lib/.../libqxcb.so"
        const qsizetype path = line.indexOf(" /");
        if (path >= 0) {
            files += QString::fromLocal8Bit(line.mid(path + 1));
        }
    }
    files.removeDuplicates();
    return files;
}
