#include "SerialDeviceUnix.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

SerialDevice::SerialDevice(const QString &portName)
    : m_path(QFileInfo(portName).canonicalFilePath())
{
    if (m_path.isEmpty()) {
        m_path = portName;
    }
}

SerialDevice::~SerialDevice()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

int SerialDevice::probe()
{
    if (m_fd < 0) {
        m_fd = ::open(QFile::encodeName(m_path).constData(),
                      O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0) {
            return errno;
        }
    }
    int exclusive = 0;
    if (::ioctl(m_fd, TIOCGEXCL, &exclusive) == 0 && exclusive) {
        return EBUSY;
    }
    return 0;
}

bool SerialDevice::isTerminal() const
{
    return m_fd >= 0 && ::isatty(m_fd);
}
