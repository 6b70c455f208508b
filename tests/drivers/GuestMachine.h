#pragma once

#include <QProcess>
#include <QString>

// The driver test's guest: a small QEMU machine (TCG, no image) that boots Debian's kernel with
// driver-guest-init, takes the host's root read-only over virtio-9p, and has an FTDI adapter
// (ftdi_sio, ttyUSB0), a 16550 on ISA (8250, ttyS0), its console on ttyS1, a 16550 on PCI
// (8250, ttyS2), a virtio-serial control line and the QEMU monitor, each on a
// pseudo-terminal of the host's. The adapter and the PCI card can be pulled out and put back.
class GuestMachine
{
public:
    struct Files
    {
        QString kernel;
        QString initramfs;
        QString run; // what the guest runs in the host's root: driver-guest-run
        QString test; // what that runs: tst_drivers
    };
    struct Lines // the host's ends, pseudo-terminal slaves
    {
        QString adapter;
        QString uart;
        QString pciUart;
        QString console;
        QString control;
        QString monitor;
    };

    GuestMachine() = default;
    ~GuestMachine();
    Q_DISABLE_COPY(GuestMachine)

    // Starts QEMU; false (and why in errorString()) when it does not start.
    bool start(const Files &files, const Lines &lines);
    bool isRunning();
    QString errorString() const { return m_process.errorString(); }
    // Ends QEMU at once, guest and all.
    void stop();

    // The monitor's commands that pull a device ("adapter", "pciuart") out and put it back;
    // empty for any other.
    static QByteArray unplugCommand(const QByteArray &device);
    static QByteArray plugCommand(const QByteArray &device);

private:
    QProcess m_process;
};
