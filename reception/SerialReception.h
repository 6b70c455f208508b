#pragma once

#include "PortFailure.h"

#include <QByteArray>
#include <QObject>

class SerialLine;

// One player's serial port as the console uses it: open at 9600 8N1, (port 2) greet
// the device with "AT" CR, wait for a transmission of at least 17 bytes while the
// window's events keep running, read it, close.
class SerialReception : public QObject
{
    Q_OBJECT
public:
    struct Outcome
    {
        enum Kind { Received, Aborted, Failed };
        Kind kind = Aborted;
        QByteArray bytes; // Received: everything buffered at the read
        PortFailure failure; // Failed: why
    };

    explicit SerialReception(QObject *parent = nullptr);
    // Destroying it during a wait aborts that wait.
    ~SerialReception() override;

    // Runs one reception on the player's port. Returns only when it has been received,
    // aborted or has failed; other handlers (abort included) run inside it.
    // Starting one while another waits aborts the waiting one first.
    Outcome receive(PlayerSlot slot);

    // Ends the waiting reception: closes the port; the reception returns Aborted.
    void abort();

    bool isWaiting() const;

private Q_SLOTS:
    // The line failed: a wait ends as Failed.
    void MSComm1_OnComm();

private:
    // What one call of receive() learns while it yields; it lives on that call's stack.
    struct Wait
    {
        bool aborted = false;
        bool failed = false;
        PortFailure failure; // the slot's port, and why it failed once it has
    };

    // Detaches the waiting reception, if any, and wakes its yield.
    Wait *endWait();

    SerialLine *m_line = nullptr; // MSComm1, shared by both player slots
    // The reception that currently waits, or none. An aborted or failed reception is
    // detached at once, so a reception started inside its yield never touches it.
    Wait *m_waiting = nullptr;
};
