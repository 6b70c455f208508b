#include "SerialReception.h"

#include "PortMessages.h"
#include "SerialPortNames.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <utility>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/ioctl.h>
#endif

namespace {

// A device's transmission is at least this long; the wait ends once this many are buffered.
constexpr qint64 transmissionLength = 17;

// Why the port failed, for the operator. A line that hung up (cable or adapter pulled,
// far end gone) reads as end of file, and the system's error text then is a stale one
// from some earlier call, so it is named for what it is instead.
QString failureReason(QSerialPort *port)
{
#ifdef Q_OS_UNIX
    pollfd descriptor {int(port->handle()), POLLIN, 0};
    if (descriptor.fd >= 0 && ::poll(&descriptor, 1, 0) == 1 && (descriptor.revents & POLLHUP)) {
        return QStringLiteral("回線が切断されました");
    }
#endif
    return port->errorString();
}

SerialReception::Outcome failure(const QString &message)
{
    SerialReception::Outcome outcome;
    outcome.kind = SerialReception::Outcome::Failed;
    outcome.message = message;
    return outcome;
}

} // namespace

SerialReception::SerialReception(QObject *parent)
    : QObject(parent)
    , m_port(new QSerialPort(this))
{
    m_port->setObjectName(QStringLiteral("MSComm1"));
    connect(m_port, &QSerialPort::errorOccurred, this, &SerialReception::MSComm1_OnComm);
}

SerialReception::~SerialReception()
{
    // A receive() still on the stack then returns Aborted without touching this object.
    if (Wait *wait = std::exchange(m_waiting, nullptr)) {
        wait->aborted = true;
    }
    disconnect(m_port, nullptr, this, nullptr);
    closePort();
}

SerialReception::Outcome SerialReception::receive(int portNumber)
{
    // The port serves one reception at a time.
    abort();

    const QString portName = serialPortName(portNumber);
    m_port->setPortName(portName);
    m_port->setBaudRate(QSerialPort::Baud9600);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port->open(QIODevice::ReadWrite)) {
        return failure(openFailureMessage(portNumber, portName, m_port->errorString()));
    }
#ifdef Q_OS_UNIX
    // QSerialPort also makes the device exclusive (TIOCEXCL) until it closes it. A console
    // that is killed never closes it, and while anything else keeps the device open (the
    // other end of a rehearsal's socat) the flag stays and the next console, run by the
    // same user, is refused. The lock file QSerialPort writes keeps other consoles out as
    // well, and a killed console's lock is taken over as stale.
    ::ioctl(int(m_port->handle()), TIOCNXCL);
#endif

    Wait wait;
    wait.portNumber = portNumber;
    m_waiting = &wait;

    // Whatever the line delivered before the open belongs to no transmission of ours.
    m_port->clear(QSerialPort::Input);
    const QByteArray greeting = deviceGreeting(portNumber);
    if (!greeting.isEmpty()) {
        m_port->write(greeting);
        m_port->flush(); // on the line before the first poll
    }
    if (wait.failed) {
        return failure(wait.message);
    }

    for (;;) {
        // Blocks until the next event (serial data, a click, a repaint) and handles it;
        // the abort, a port error, even a new reception can run in here. A reception
        // ended in there leaves the port alone: it may already serve another one.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (wait.aborted) {
            Outcome aborted;
            aborted.kind = Outcome::Aborted;
            return aborted;
        }
        if (wait.failed) {
            return failure(wait.message);
        }
        const qint64 buffered = m_port->bytesAvailable();
        if (buffered >= transmissionLength) {
            break;
        }
    }

    Outcome outcome;
    outcome.kind = Outcome::Received;
    outcome.bytes = m_port->readAll();
    m_waiting = nullptr;
    closePort();
    return outcome;
}

void SerialReception::abort()
{
    if (Wait *wait = std::exchange(m_waiting, nullptr)) {
        wait->aborted = true;
        closePort();
    }
}

bool SerialReception::isWaiting() const
{
    return m_waiting != nullptr;
}

void SerialReception::MSComm1_OnComm(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || !m_waiting) {
        return;
    }
    // The first real error ends the wait; a dead line keeps reporting errors until closed.
    Wait *wait = std::exchange(m_waiting, nullptr);
    wait->failed = true;
    wait->message = lineLostMessage(wait->portNumber, failureReason(m_port));
    closePort();
}

void SerialReception::closePort()
{
    // Closing a closed port would itself report an error.
    if (m_port->isOpen()) {
        m_port->close();
    }
}
