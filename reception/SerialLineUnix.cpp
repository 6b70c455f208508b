#include "SerialLine.h"

#include "LineSettingsUnix.h"
#include "SerialDeviceUnix.h"

#include <QSerialPort>

#include <cerrno>
#include <cstdlib>
#include <poll.h>
#include <sys/ioctl.h>

#include <set>

struct SerialLine::Private
{
    Private() { lines().insert(this); }
    ~Private() { lines().erase(this); }
    Private(const Private &) = delete;
    Private &operator=(const Private &) = delete;

    // Every line there is, so that exit() closes the open ones: Qt ends the program with
    // exit() when its connection to the display breaks (a logout during a wait), and a port
    // left open leaves its lock file behind, which keeps another user's console off the device.
    static std::set<Private *> &lines()
    {
        static std::set<Private *> all;
        static const bool closedAtExit = std::atexit(closeOpenLines) == 0;
        Q_UNUSED(closedAtExit);
        return all;
    }
    static void closeOpenLines()
    {
        for (Private *line : lines()) {
            if (line->port.isOpen()) {
                line->port.close();
            }
        }
    }

    QSerialPort port;
    SystemError error;
};

namespace {

// Why the open port failed. A line that hung up (cable or adapter pulled, far end gone)
// reads as end of file, and the port's error text then is a stale one from some earlier
// call, so it is named for what it is instead.
SystemError lineFailure(QSerialPort &port)
{
    pollfd descriptor {int(port.handle()), POLLIN, 0};
    if (descriptor.fd >= 0 && ::poll(&descriptor, 1, 0) == 1 && (descriptor.revents & POLLHUP)) {
        return SystemError::fromCode(EPIPE);
    }
    return SystemError::fromText(port.errorString());
}

} // namespace

SerialLine::SerialLine(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
    connect(&d->port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        // Every open reports NoError; a dead line keeps reporting errors until it is closed.
        if (e == QSerialPort::NoError || !d->port.isOpen()) {
            return;
        }
        d->error = lineFailure(d->port);
        d->port.close();
        Q_EMIT failed();
    });
}

SerialLine::~SerialLine()
{
    // The port closes without reporting anything to a half-destroyed line.
    d->port.disconnect(this);
}

bool SerialLine::open(const QString &name)
{
    // Locked and opened by the device's own path, so that a second console on another name
    // of it finds it held; left alone when another program holds it exclusive.
    SerialDevice device(name);
    if (const int error = device.probe(); error == EBUSY) {
        d->error = SystemError::fromCode(error);
        return false;
    }
    d->port.setPortName(device.path());
    applyLineSettings(d->port);
    if (!d->port.open(QIODevice::ReadWrite)) {
        d->error = SystemError::fromText(d->port.errorString());
        return false;
    }
    // QSerialPort also makes the device exclusive (TIOCEXCL) until it closes it. A console
    // that is killed never closes it, and while anything else keeps the device open (the
    // other end of a rehearsal's socat) the flag stays and the next console, run by the
    // same user, is refused. The lock file QSerialPort writes keeps other consoles out as
    // well, and a killed console's lock is taken over as stale.
    ::ioctl(int(d->port.handle()), TIOCNXCL);
    d->port.clear(QSerialPort::Input);
    return true;
}

bool SerialLine::isOpen() const
{
    return d->port.isOpen();
}

bool SerialLine::write(const QByteArray &bytes)
{
    return d->port.write(bytes) == bytes.size() && d->port.flush();
}

qint64 SerialLine::bytesAvailable()
{
    return d->port.bytesAvailable();
}

QByteArray SerialLine::readAll()
{
    return d->port.readAll();
}

void SerialLine::close()
{
    // Closing a closed port would itself report an error.
    if (d->port.isOpen()) {
        d->port.close();
    }
}

SystemError SerialLine::error() const
{
    return d->error;
}
