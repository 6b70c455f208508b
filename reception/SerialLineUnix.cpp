#include "SerialLine.h"

#include "DeviceTables.h"
#include "SerialDeviceUnix.h"

#include <QSocketNotifier>

#include <cerrno>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <memory>
#include <utility>

namespace {

static_assert(LineSettings::baudRate == 9600 && LineSettings::dataBits == 8
                  && LineSettings::stopBits == 1,
              "the terminal settings below spell out 9600 8N1");

// Raw bytes at 9600 8N1, no flow control of either kind, and the modem lines ignored
// (CLOCAL), so that an adapter without them still talks. VMIN 1 makes a read of an empty
// line fail with EAGAIN, so that a read of nothing (end of file) means the line hung up.
bool applyLineSettings(int fd)
{
    termios line = {};
    if (::tcgetattr(fd, &line) != 0) {
        return false;
    }
    ::cfmakeraw(&line);
    line.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    line.c_cflag |= CS8 | CLOCAL | CREAD;
    line.c_iflag &= ~(IXON | IXOFF | IXANY);
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
    return ::cfsetispeed(&line, B9600) == 0 && ::cfsetospeed(&line, B9600) == 0
        && ::tcsetattr(fd, TCSANOW, &line) == 0;
}

// A line that hung up (an adapter pulled: end of file; a pseudo-terminal's far end gone: EIO)
// has no error code of its own: it is reported as EPIPE, the far end gone.
int hangUpAsLost(int error)
{
    return error == 0 || error == EIO ? EPIPE : error;
}

} // namespace

struct SerialLine::Private
{
    int fd = -1;
    QSocketNotifier arrivals {QSocketNotifier::Read};
    QByteArray received; // read off the device, not taken yet
    SystemError error;

    // The open line failed with `code`: it closes and says so, once.
    void fail(SerialLine *line, int code)
    {
        error = SystemError::fromCode(hangUpAsLost(code));
        line->close();
        Q_EMIT line->failed();
    }
};

SerialLine::SerialLine(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
    connect(&d->arrivals, &QSocketNotifier::activated, this, [this] { bytesAvailable(); });
}

SerialLine::~SerialLine()
{
    // Closes without reporting anything to a half-destroyed line.
    close();
}

bool SerialLine::open(const QString &name)
{
    close();
    d->fd = openSerialDevice(name);
    if (d->fd < 0 || !applyLineSettings(d->fd) || ::tcflush(d->fd, TCIFLUSH) != 0) {
        d->error = SystemError::fromCode(errno);
        close();
        return false;
    }
    // Bytes, and a hang-up, wake the wait; they are read as they come.
    d->arrivals.setSocket(d->fd);
    d->arrivals.setEnabled(true);
    return true;
}

bool SerialLine::isOpen() const
{
    return d->fd >= 0;
}

bool SerialLine::write(const QByteArray &bytes)
{
    int error = isOpen() ? 0 : EBADF;
    for (qsizetype sent = 0; sent < bytes.size() && !error;) {
        const ssize_t written
            = ::write(d->fd, bytes.constData() + sent, size_t(bytes.size() - sent));
        pollfd writable {d->fd, POLLOUT, 0};
        if (written > 0) {
            sent += written;
        } else if (errno == EAGAIN) {
            error = ::poll(&writable, 1, 1000) == 1 ? 0 : EAGAIN;
        } else if (errno != EINTR) {
            error = errno;
        }
    }
    if (!error && ::tcdrain(d->fd) != 0) {
        error = errno;
    }
    if (error && isOpen()) {
        d->fail(this, error);
    }
    return !error;
}

qint64 SerialLine::bytesAvailable()
{
    char chunk[4096];
    while (isOpen()) {
        const ssize_t count = ::read(d->fd, chunk, sizeof chunk);
        if (count > 0) {
            d->received.append(chunk, count);
        } else if (count < 0 && errno == EAGAIN) {
            return d->received.size();
        } else if (count == 0 || errno != EINTR) {
            d->fail(this, count == 0 ? 0 : errno);
        }
    }
    return 0;
}

QByteArray SerialLine::readAll()
{
    bytesAvailable();
    return std::exchange(d->received, QByteArray());
}

void SerialLine::close()
{
    d->arrivals.setEnabled(false);
    d->received.clear();
    if (d->fd >= 0) {
        // Lets the device go, and with it the console's lock.
        ::close(std::exchange(d->fd, -1));
    }
}

SystemError SerialLine::error() const
{
    return d->error;
}
