#include "GuestMachine.h"

namespace {

// The devices that can be pulled out, by their QEMU ids; the adapter's serial number names it below
// /dev/serial/by-id/ in the guest.
const char adapterDevice[] = "usb-serial,id=adapter,chardev=adapterline,serial=TEST01";
const char pciUartDevice[] = "pci-serial,id=pciuart,chardev=pciuartline";

} // namespace

GuestMachine::~GuestMachine()
{
    stop();
}

bool GuestMachine::start(const QStringList &files)
{
    for (const PseudoTerminal *line : {&adapter, &uart, &pciUart, &console, &control, &monitor}) {
        if (!line->isOpen()) {
            m_error = line->errorString();
            return false;
        }
    }
    // No KVM here: TCG, one CPU, nothing but what is named; a guest that panics ends QEMU. The PCI
    // card is hot-pluggable through ACPI on the default machine's PCI bus.
    QStringList arguments
        = QStringLiteral("-nodefaults -no-user-config -display none -accel tcg -cpu max -smp "
                         "1 -m 512 "
                         "-no-reboot "
                         "-chardev serial,id=uartline,path=%1 -device "
                         "isa-serial,chardev=uartline,index=0 "
                         "-chardev serial,id=console,path=%2 -device "
                         "isa-serial,chardev=console,index=1 "
                         "-chardev serial,id=pciuartline,path=%3 -device %7 "
                         "-chardev serial,id=adapterline,path=%4 -device qemu-xhci -device %8 "
                         "-chardev serial,id=control,path=%5 -device virtio-serial-pci "
                         "-device virtserialport,chardev=control,name=kelmi.control "
                         "-chardev serial,id=monitor,path=%6 -mon "
                         "chardev=monitor,mode=readline")
              .arg(uart.slavePath(), console.slavePath(), pciUart.slavePath(), adapter.slavePath(),
                   control.slavePath(), monitor.slavePath(), QString::fromLatin1(pciUartDevice),
                   QString::fromLatin1(adapterDevice))
              .split(u' ');
    arguments += {QStringLiteral("-kernel"),
                  files.value(0),
                  QStringLiteral("-initrd"),
                  files.value(1),
                  QStringLiteral("-append"),
                  QStringLiteral("console=ttyS1 quiet panic=-1 kelmi_run=%1 kelmi_test=%2")
                      .arg(files.value(2), files.value(3)),
                  QStringLiteral("-virtfs"),
                  QStringLiteral("local,path=/,mount_tag=hostroot,security_model=none,readonly=on,"
                                 "multidevs=remap,id=hostroot")};
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.start(QStringLiteral("qemu-system-x86_64"), arguments);
    m_error = m_process.waitForStarted()
        ? QString()
        : QStringLiteral("QEMU did not start: ") + m_process.errorString();
    return m_error.isEmpty();
}

bool GuestMachine::isRunning()
{
    return m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(0);
}

void GuestMachine::stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

PseudoTerminal *GuestMachine::device(const QByteArray &name)
{
    return name == "adapter" ? &adapter
        : name == "uart"     ? &uart
        : name == "pciuart"  ? &pciUart
                             : nullptr;
}

const char *GuestMachine::pluggable(const QByteArray &device)
{
    return device == "adapter" ? adapterDevice : device == "pciuart" ? pciUartDevice : nullptr;
}
