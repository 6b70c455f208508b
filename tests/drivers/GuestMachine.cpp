#include "GuestMachine.h"

namespace {

// The devices that can be pulled out, by their QEMU ids; the adapter's serial number names it
// below /dev/serial/by-id/ in the guest.
const char adapterDevice[] = "usb-serial,id=adapter,chardev=adapterline,serial=TEST01";
const char pciUartDevice[] = "pci-serial,id=pciuart,chardev=pciuartline";

const char *pluggable(const QByteArray &device)
{
    if (device == "adapter") {
        return adapterDevice;
    }
    return device == "pciuart" ? pciUartDevice : nullptr;
}

QStringList chardevOn(const QString &id, const QString &path)
{
    return {QStringLiteral("-chardev"), QStringLiteral("serial,id=%1,path=%2").arg(id, path)};
}

} // namespace

GuestMachine::~GuestMachine()
{
    stop();
}

bool GuestMachine::start(const Files &files, const Lines &lines)
{
    const QString append = QStringLiteral("console=ttyS1 quiet panic=-1 kelmi_run=%1 kelmi_test=%2")
                               .arg(files.run, files.test);
    QStringList arguments {
        // No KVM here: TCG, one CPU, nothing but what is named below.
        QStringLiteral("-nodefaults"),
        QStringLiteral("-no-user-config"),
        QStringLiteral("-display"),
        QStringLiteral("none"),
        QStringLiteral("-accel"),
        QStringLiteral("tcg"),
        QStringLiteral("-cpu"),
        QStringLiteral("max"),
        QStringLiteral("-smp"),
        QStringLiteral("1"),
        QStringLiteral("-m"),
        QStringLiteral("512"),
        QStringLiteral("-no-reboot"), // a guest that panics ends QEMU
        QStringLiteral("-kernel"),
        files.kernel,
        QStringLiteral("-initrd"),
        files.initramfs,
        QStringLiteral("-append"),
        append,
        QStringLiteral("-virtfs"),
        QStringLiteral("local,path=/,mount_tag=hostroot,security_model=none,readonly=on,"
                       "multidevs=remap,id=hostroot")};
    arguments += chardevOn(QStringLiteral("uartline"), lines.uart);
    arguments += {QStringLiteral("-device"), QStringLiteral("isa-serial,chardev=uartline,index=0")};
    arguments += chardevOn(QStringLiteral("console"), lines.console);
    arguments += {QStringLiteral("-device"), QStringLiteral("isa-serial,chardev=console,index=1")};
    // Hot-pluggable through ACPI on the default machine's PCI bus.
    arguments += chardevOn(QStringLiteral("pciuartline"), lines.pciUart);
    arguments += {QStringLiteral("-device"), QString::fromLatin1(pciUartDevice)};
    arguments += chardevOn(QStringLiteral("adapterline"), lines.adapter);
    arguments += {QStringLiteral("-device"), QStringLiteral("qemu-xhci"), QStringLiteral("-device"),
                  QString::fromLatin1(adapterDevice)};
    arguments += chardevOn(QStringLiteral("control"), lines.control);
    arguments += {QStringLiteral("-device"), QStringLiteral("virtio-serial-pci"),
                  QStringLiteral("-device"),
                  QStringLiteral("virtserialport,chardev=control,name=kelmi.control")};
    arguments += chardevOn(QStringLiteral("monitor"), lines.monitor);
    arguments += {QStringLiteral("-mon"), QStringLiteral("chardev=monitor,mode=readline")};

    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.start(QStringLiteral("qemu-system-x86_64"), arguments);
    return m_process.waitForStarted();
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

QByteArray GuestMachine::unplugCommand(const QByteArray &device)
{
    return pluggable(device) ? "device_del " + device : QByteArray();
}

QByteArray GuestMachine::plugCommand(const QByteArray &device)
{
    const char *plugged = pluggable(device);
    return plugged ? QByteArray("device_add ") + plugged : QByteArray();
}
