#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The devices at the far ends of the driver test guest's serial lines, as the host plays them
// (DriverHostMain.cpp), asked over the guest's control line: one request, one
// answer. Each call returns once the host has done it, or gives up after some seconds.
class HostDevices
{
public:
    // The FTDI adapter (ttyUSB0), the 16550 on ISA (ttyS0), the 16550 on a PCI card (ttyS2).
    enum class Device { Adapter, Uart, PciUart };
    struct LineSettings
    {
        int speed = 0;
        int stopBits = 0;
    };

    explicit HostDevices(const QString &controlLine);
    ~HostDevices();
    Q_DISABLE_COPY(HostDevices)

    bool isOpen() const { return m_fd >= 0; }
    // Why the last request failed.
    QString errorString() const { return m_error; }

    // The device sends these bytes; true once they are on their way to the guest (which
    // has them a moment later).
    bool send(Device device, const QByteArray &bytes);
    // What the guest sent to the device, until count bytes came (0: any number) or timeoutMs
    // passed.
    QByteArray read(Device device, int count, int timeoutMs);
    // The settings of the host's end of the line, which QEMU takes from the guest's.
    std::optional<LineSettings> settings(Device device);
    // The adapter or the PCI card pulled out (true once it is gone), and put back.
    bool unplug(Device device);
    bool plug(Device device);

private:
    // The answer's words after "ok", or nothing (and m_error) when it failed.
    std::optional<QByteArray> ask(const QByteArray &request);

    int m_fd = -1;
    QByteArray m_pending; // answers' bytes read past a line's end
    QString m_error;
};
