#pragma once

#include "SystemError.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

// One serial port the way a reception uses it, on the platform's own facility: the terminal
// calls on Linux (SerialLineUnix.cpp), the Win32 communications API on Windows
// (SerialLineWindows.cpp). The wait for a device is the caller's: it lets the event loop
// run and asks bytesAvailable() after every event. An open line makes sure an event comes
// when bytes arrive or the line fails, and reports the failure either while the events run
// or from bytesAvailable().
class SerialLine : public QObject
{
    Q_OBJECT
public:
    explicit SerialLine(QObject *parent = nullptr);
    ~SerialLine() override;

    // Opens the device ("/dev/ttyS0", "COM1") with the line settings devices use (DeviceTables.h)
    // and drops what the line delivered before.
    // False when it cannot; error() tells why.
    bool open(const QString &name);
    bool isOpen() const;
    // Sends the bytes; they are on the line when it returns. False when the line failed.
    bool write(const QByteArray &bytes);
    // Bytes received and not read yet; 0 when the line has failed.
    qint64 bytesAvailable();
    // Takes every byte received so far; nothing when the line failed at the read.
    QByteArray readAll();
    // Bytes not read are dropped. Closing a closed line does nothing.
    void close();

    // Why the last open failed, or why the line failed.
    SystemError error() const;

Q_SIGNALS:
    // The open line failed (its far end hung up, its adapter was pulled): error() tells how.
    // Once only: the line is closed by then. It comes while the events run, or from inside
    // the call above that met the failure, before that call returns.
    void failed();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
