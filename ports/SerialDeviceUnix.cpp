#include "SerialDeviceUnix.h"

#include "SerialLocksUnix.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

QString serialDevicePath(const QString &portName)
{
    const QString path = QFileInfo(portName).canonicalFilePath();
    return path.isEmpty() ? portName : path;
}

namespace {

// Why another program keeps the open device from this console, or 0.
int heldElsewhere(int fd, const QString &portName)
{
    // Some devices answer a terminal's calls with EINVAL (/dev/random) rather than ENOTTY.
    if (!::isatty(fd)) {
        return ENOTTY;
    }
    // Made exclusive (TIOCEXCL) by a program that wants it alone; root's open succeeds then
    // as well, and a reception on top would take its bytes.
    int exclusive = 0;
    if (::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive) {
        return EBUSY;
    }
    // Another console, or a program that locks as consoles do (picocom).
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return errno == EWOULDBLOCK ? EBUSY : errno;
    }
    // A program that announces its hold with a lock file only (minicom, Qt's serial port).
    return lockFileHolder(portName) ? EBUSY : 0;
}

} // namespace

int openSerialDevice(const QString &portName)
{
    // Opened by the device's own path, so that its kernel lock is the one every console takes,
    // whatever name each was given.
    const int fd = ::open(QFile::encodeName(serialDevicePath(portName)).constData(),
                          O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    if (const int error = heldElsewhere(fd, portName)) {
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}
