#pragma once

#include "PseudoTerminal.h"

#include <QProcess>
#include <QStringList>

// The driver test's guest: a small QEMU machine (TCG, no image) that boots Debian's kernel with
// driver-guest-init, takes the host's root read-only over virtio-9p, and has an FTDI adapter
// (ftdi_sio, ttyUSB0), a 16550 on ISA (8250, ttyS0), its console on ttyS1, a 16550 on PCI (8250,
// ttyS2), a virtio-serial control line and the QEMU monitor, each on one of the pseudo-terminals
// below. The adapter and the PCI card can be pulled out and put back.
class GuestMachine
{
public:
    GuestMachine() = default;
    ~GuestMachine();
    Q_DISABLE_COPY(GuestMachine)

    // Starts QEMU on KERNEL, INITRAMFS, RUN (what the guest runs in the host's root:
    // driver-guest-run) and TEST (what that runs: tst_drivers); false (and why in errorString())
    // when a line is not there or QEMU does not start.
    bool start(const QStringList &files);
    bool isRunning();
    QString errorString() const { return m_error; }
    void stop(); // at once, guest and all

    // The line of a device as the control line names it ("adapter", "uart", "pciuart"), or null.
    PseudoTerminal *device(const QByteArray &name);
    // What the monitor's device_add takes to put a device ("adapter", "pciuart") back; null for any
    // other.
    static const char *pluggable(const QByteArray &device);

    PseudoTerminal adapter, uart, pciUart, console, control,
        monitor; // the host's ends

private:
    QProcess m_process;
    QString m_error;
};
