#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

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
        QString message; // Failed: operator-facing reason, in Japanese
    };

    explicit SerialReception(QObject *parent = nullptr);

    // Runs one reception on port 1 or 2. Returns only when it has been received,
    // aborted or has failed; other handlers (abort included) run inside it.
    Outcome receive(int portNumber);

    // Ends the waiting reception: closes the port; the reception returns Aborted.
    void abort();

    bool isWaiting() const;
};
