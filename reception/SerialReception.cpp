#include "SerialReception.h"

#include "DeviceTables.h"
#include "PortFailure.h"
#include "SerialLine.h"
#include "SerialPortList.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>

#include <utility>

namespace {

SerialReception::Outcome failed(const PortFailure &failure)
{
    SerialReception::Outcome outcome;
    outcome.kind = SerialReception::Outcome::Failed;
    outcome.failure = failure;
    return outcome;
}

// The failure on the slot's port, told where the port's name comes from.
PortFailure onPort(PortFailure failure, PlayerSlot slot, const PlayerPort &port)
{
    failure.slot = slot;
    failure.device = port.device;
    failure.configured = port.configured;
    return failure;
}

} // namespace

SerialReception::SerialReception(QObject *parent)
    : QObject(parent)
    , m_line(new SerialLine(this))
{
    m_line->setObjectName(QStringLiteral("MSComm1"));
    connect(m_line, &SerialLine::failed, this, &SerialReception::MSComm1_OnComm);
}

SerialReception::~SerialReception()
{
    // A receive() still on the stack then returns Aborted without touching this object.
    if (Wait *wait = endWait()) {
        wait->aborted = true;
    }
    disconnect(m_line, nullptr, this, nullptr);
    m_line->close();
}

SerialReception::Outcome SerialReception::receive(PlayerSlot slot)
{
    // The port serves one reception at a time.
    abort();

    const PlayerPort port = playerPort(slot);
    if (!m_line->open(port.device)) {
        return failed(onPort(diagnoseOpenFailure(port.device, m_line->error()), slot, port));
    }

    Wait wait;
    wait.failure = onPort(PortFailure(), slot, port);
    m_waiting = &wait;

    const QByteArray greeting = slotFacts(slot).greeting.toByteArray();
    if (!greeting.isEmpty()) {
        m_line->write(greeting); // a line that fails here ends the wait below
    }
    if (wait.failed) {
        return failed(wait.failure);
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
        // The line may find out here that it has failed.
        const qint64 buffered = wait.failed ? 0 : m_line->bytesAvailable();
        if (wait.failed) {
            return failed(wait.failure);
        }
        // The wait ends once a whole transmission is buffered.
        if (buffered >= DeviceTables::minimumTransmissionLength) {
            break;
        }
    }

    QByteArray bytes = m_line->readAll();
    // A line that fails at the read has received nothing.
    if (wait.failed) {
        return failed(wait.failure);
    }
    m_waiting = nullptr;
    m_line->close();
    Outcome outcome;
    outcome.kind = Outcome::Received;
    outcome.bytes = std::move(bytes);
    return outcome;
}

void SerialReception::abort()
{
    if (Wait *wait = endWait()) {
        wait->aborted = true;
        m_line->close();
    }
}

bool SerialReception::isWaiting() const
{
    return m_waiting != nullptr;
}

void SerialReception::MSComm1_OnComm()
{
    // The line has closed itself.
    if (Wait *wait = endWait()) {
        wait->failed = true;
        wait->failure.kind = PortFailure::LineLost;
        wait->failure.error = m_line->error();
    }
}

SerialReception::Wait *SerialReception::endWait()
{
    // The event that ends a wait (a posted one, such as a timer's under Qt's Windows dispatcher)
    // may be handled before the wait's yield goes to sleep, with nothing after it to wake the
    // yield: it is woken here, so that it returns and sees the wait ended.
    if (m_waiting) {
        if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance()) {
            dispatcher->wakeUp();
        }
    }
    return std::exchange(m_waiting, nullptr);
}
