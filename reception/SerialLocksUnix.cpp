#include "SerialLocksUnix.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QStringList serialLockFiles(const QString &devicePath)
{
    QString device = devicePath;
    if (device.startsWith(QLatin1String("/dev/"))) {
        device.remove(0, 5);
    }
    const QString lockName = QStringLiteral("LCK..") + device.replace(u'/', u'_');
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
        const QFileInfo lock(QDir(directory).filePath(lockName));
        // /var/lock is usually a link to /run/lock: one file, named once.
        if (lock.isFile() && !existing.contains(lock.canonicalFilePath())) {
            existing += lock.canonicalFilePath();
        }
    }
    return existing;
}
