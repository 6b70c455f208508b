#pragma once

#include <QString>

// The device that a configured serial port name stands for (Linux). A link such as
// /dev/serial/by-id/... or a rehearsal's socat link is resolved to the device itself, so that
// the lock files and the exclusive flag are the device's whatever name each program uses.
class SerialDevice
{
public:
    explicit SerialDevice(const QString &portName);
    ~SerialDevice();
    SerialDevice(const SerialDevice &) = delete;
    SerialDevice &operator=(const SerialDevice &) = delete;

    // The device's own path; the name as given when it resolves to nothing.
    QString path() const { return m_path; }

    // Opens the device on its own: 0 when it opens and no other program holds it exclusive,
    // EBUSY when one does (root's open succeeds then as well, and a port opened on top would
    // take the flag away), otherwise the system's errno. The device stays open until this
    // object goes, so that the port's own open and close that follow are not the last ones
    // (which would drop the modem lines).
    int probe();

    // Whether the device that probe() opened is a terminal, as every serial port is.
    bool isTerminal() const;

private:
    QString m_path;
    int m_fd = -1;
};
