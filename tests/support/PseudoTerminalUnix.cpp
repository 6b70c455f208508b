#include "PseudoTerminal.h"

#include <QDeadlineTimer>

#include <utility>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

struct PseudoTerminal::Private
{
    int master = -1;
    int slave = -1;
    QString slavePath;
    QString errorString;

    bool fail(const char *what)
    {
        errorString = QString::fromLocal8Bit(what) + QStringLiteral(": ")
            + QString::fromLocal8Bit(std::strerror(errno));
        if (master >= 0) {
            ::close(std::exchange(master, -1));
        }
        return false;
    }
};

PseudoTerminal::PseudoTerminal()
    : d(std::make_unique<Private>())
{
    d->master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (d->master < 0) {
        d->fail("posix_openpt");
        return;
    }
    if (::grantpt(d->master) != 0 || ::unlockpt(d->master) != 0) {
        d->fail("grantpt/unlockpt");
        return;
    }
    const char *name = ::ptsname(d->master);
    if (!name) {
        d->fail("ptsname");
        return;
    }
    d->slavePath = QString::fromLocal8Bit(name);

    // Raw both ways: no echo of the device's bytes, no line editing, no CR/LF mapping.
    termios settings {};
    if (::tcgetattr(d->master, &settings) != 0) {
        d->fail("tcgetattr");
        return;
    }
    ::cfmakeraw(&settings);
    if (::tcsetattr(d->master, TCSANOW, &settings) != 0) {
        d->fail("tcsetattr");
        return;
    }
    d->slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (d->slave < 0) {
        d->fail("open slave");
        return;
    }
    // The slave's own settings are what the console's port finds and restores on close.
    ::tcgetattr(d->slave, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(d->slave, TCSANOW, &settings);
}

PseudoTerminal::~PseudoTerminal()
{
    closeMaster();
    if (d->slave >= 0) {
        ::close(d->slave);
    }
}

bool PseudoTerminal::isOpen() const
{
    return d->master >= 0 && d->slave >= 0;
}

QString PseudoTerminal::errorString() const
{
    return d->errorString;
}

QString PseudoTerminal::slavePath() const
{
    return d->slavePath;
}

bool PseudoTerminal::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (d->master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(d->master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += n;
    }
    return d->master >= 0;
}

qsizetype PseudoTerminal::pendingOnLine() const
{
    int count = 0;
    if (d->master < 0 || d->slave < 0 || ::ioctl(d->slave, FIONREAD, &count) != 0) {
        return -1;
    }
    return count;
}

QByteArray PseudoTerminal::waitForBytes(qsizetype count, int timeoutMs)
{
    QByteArray received;
    QDeadlineTimer deadline(timeoutMs);
    while (d->master >= 0) {
        pollfd descriptor {d->master, POLLIN, 0};
        const int ready = ::poll(&descriptor, 1, int(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0 || !(descriptor.revents & POLLIN)) {
            break;
        }
        char chunk[256];
        const ssize_t n = ::read(d->master, chunk, sizeof chunk);
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
    if (d->master >= 0) {
        ::close(d->master);
        d->master = -1;
    }
}
