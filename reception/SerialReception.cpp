#include "SerialReception.h"

#include "DeviceTables.h"
#include "PlayerPorts.h"
#include "PortDiagnosis.h"
#include "PortMessages.h"
#include "SerialLine.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <utility>

namespace {

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
    , m_line(new SerialLine(this))
{
    m_line->setObjectName(QStringLiteral("MSComm1"));
    connect(m_line, &SerialLine::failed, this, &SerialReception::MSComm1_OnComm);
}

SerialReception::~SerialReception()
{
    // A receive() still on the stack then returns Aborted without touching this object.
    if (Wait *wait = std::exchange(m_waiting, nullptr)) {
        wait->aborted = true;
    }
    disconnect(m_line, nullptr, this, nullptr);
    m_line->close();
}

SerialReception::Outcome SerialReception::receive(PlayerSlot slot)
{
    // The port serves one reception at a time.
    abort();

    const QString portName = serialPortName(slot);
    if (!m_line->open(portName)) {
        return failure(openFailureMessage(slot, portName, m_line->error()));
    }

    Wait wait;
    wait.slot = slot;
    m_waiting = &wait;

    const QByteArray greeting = slotFacts(slot).greeting.toByteArray();
    if (!greeting.isEmpty()) {
        m_line->write(greeting); // a line that fails here ends the wait below
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
        // The line may find out here that it has failed.
        const qint64 buffered = wait.failed ? 0 : m_line->bytesAvailable();
        if (wait.failed) {
            return failure(wait.message);
        }
        // The wait ends once a whole transmission is buffered.
        if (buffered >= DeviceTables::minimumTransmissionLength) {
            break;
        }
    }

    Outcome outcome;
    outcome.kind = Outcome::Received;
    outcome.bytes = m_line->readAll();
    m_waiting = nullptr;
    m_line->close();
    return outcome;
}

void SerialReception::abort()
{
    if (Wait *wait = std::exchange(m_waiting, nullptr)) {
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
    if (Wait *wait = std::exchange(m_waiting, nullptr)) {
        wait->failed = true;
        wait->message = lineLostMessage(wait->slot, m_line->error());
    }
}
