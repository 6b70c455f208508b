#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The devices at the far ends of the driver test guest's serial lines, as the host plays them,
// asked over the guest's control line (the requests: DriverHostMain.cpp). Each call returns once
// the host has done it, or gives up after some seconds.
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
    QString errorString() const { return m_error; } // why the last request failed

    // The device sends these bytes; true once they are on their way to the guest.
    bool send(Device device, const QByteArray &bytes)
    {
        return ask("send", device, bytes.toHex()).has_value();
    }
    // What the guest sent to the device, until count bytes came (0: any number) or timeoutMs
    // passed.
    QByteArray read(Device device, int count, int timeoutMs);
    // The settings of the host's end of the line, which QEMU takes from the guest's.
    std::optional<LineSettings> settings(Device device);
    // The adapter or the PCI card pulled out (true once it is gone), and put back.
    bool unplug(Device device) { return ask("unplug", device).has_value(); }
    bool plug(Device device) { return ask("plug", device).has_value(); }

private:
    // The answer's words after "ok", or nothing (and m_error) when it failed.
    std::optional<QByteArray> ask(const char *verb, Device device, const QByteArray &words = {});

    int m_fd = -1;
    QByteArray m_pending; // answers' bytes read past a line's end
    QString m_error;
};
