#include "PseudoTerminal.h"

#include <QDeadlineTimer>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0) {
        fail("posix_openpt");
        return;
    }
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        fail("grantpt/unlockpt");
        return;
    }
    const char *name = ::ptsname(m_master);
    if (!name) {
        fail("ptsname");
        return;
    }
    m_slavePath = QString::fromLocal8Bit(name);

    // Raw both ways: no echo of the device's bytes, no line editing, no CR/LF mapping.
    termios settings {};
    if (::tcgetattr(m_master, &settings) != 0) {
        fail("tcgetattr");
        return;
    }
    ::cfmakeraw(&settings);
    if (::tcsetattr(m_master, TCSANOW, &settings) != 0) {
        fail("tcsetattr");
        return;
    }
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) {
        fail("open slave");
        return;
    }
    // The slave's own settings are what the console's port finds and restores on close.
    ::tcgetattr(m_slave, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(m_slave, TCSANOW, &settings);
}

PseudoTerminal::~PseudoTerminal()
{
    closeMaster();
    if (m_slave >= 0) {
        ::close(m_slave);
    }
}

bool PseudoTerminal::isOpen() const
{
    return m_master >= 0 && m_slave >= 0;
}

QString PseudoTerminal::errorString() const
{
    return m_errorString;
}

QString PseudoTerminal::slavePath() const
{
    return m_slavePath;
}

bool PseudoTerminal::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += n;
    }
    return m_master >= 0;
}

bool PseudoTerminal::deliver(const QByteArray &bytes)
{
    const qsizetype before = pendingOnLine();
    if (before < 0 || !write(bytes)) {
        return false;
    }
    // The kernel hands the bytes to the console's end a moment after the write.
    const QDeadlineTimer deadline(1000);
    while (pendingOnLine() < before + bytes.size() && !deadline.hasExpired()) {
        ::usleep(200);
    }
    return pendingOnLine() >= before + bytes.size();
}

qsizetype PseudoTerminal::pendingOnLine() const
{
    int count = 0;
    if (m_master < 0 || m_slave < 0 || ::ioctl(m_slave, FIONREAD, &count) != 0) {
        return -1;
    }
    return count;
}

QByteArray PseudoTerminal::readAvailable()
{
    return waitForBytes(0, 0);
}

QByteArray PseudoTerminal::waitForBytes(qsizetype count, int timeoutMs)
{
    QByteArray received;
    QDeadlineTimer deadline(timeoutMs);
    while (m_master >= 0) {
        pollfd descriptor {m_master, POLLIN, 0};
        const int ready = ::poll(&descriptor, 1, int(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0 || !(descriptor.revents & POLLIN)) {
            break;
        }
        char chunk[256];
        const ssize_t n = ::read(m_master, chunk, sizeof chunk);
        if (n <= 0) {
            break;
        }
        received.append(chunk, n);
        if (count > 0 && received.size() >= count) {
            break;
        }
    }
    return received;
}

void PseudoTerminal::closeMaster()
{
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}

bool PseudoTerminal::fail(const char *what)
{
    m_errorString = QString::fromLocal8Bit(what) + QStringLiteral(": ")
        + QString::fromLocal8Bit(std::strerror(errno));
    closeMaster();
    return false;
}
