// kelmi-driver-host: the host's side of the driver test (scripts/test-drivers). It boots the
// guest (GuestMachine), shows the guest's console on its standard output and plays the
// devices on the far ends of the guest's serial lines as the test in the guest asks over the
// control line, one request and one answer a line:
//   send DEVICE HEX       the device sends these bytes; "ok" once they are written (when
//                         the guest has them is the guest's to see)
//   read DEVICE COUNT MS  what the guest sent, until COUNT bytes (0: any) or MS: "ok HEX"
//   settings DEVICE       the host end's line settings, which QEMU takes from the guest's:
//                         "ok SPEED STOPBITS"
//   unplug DEVICE         the adapter or the PCI card pulled out; "ok" once it is gone
//   plug DEVICE           put back
//   exit STATUS           the test's exit status: the guest is ended and this exits with it
// DEVICE is "adapter" (ttyUSB0), "uart" (the 16550 on ISA, ttyS0) or "pciuart" (the one on a
// PCI card, ttyS2). A request that fails is answered "error WHY".
// Usage: kelmi-driver-host KERNEL INITRAMFS RUN TEST

#include "GuestMachine.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <cstdio>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A guest that has not finished by then is broken: the stage fails rather than hangs.
constexpr int guestLimitMs = 240'000;

void showConsole(PseudoTerminal &console)
{
    const QByteArray text = console.readAvailable();
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
}

// What QEMU answers a monitor command, up to its next prompt.
QByteArray askMonitor(PseudoTerminal &monitor, const QByteArray &command)
{
    monitor.readAvailable();
    monitor.write(command + '\n');
    QByteArray said;
    const QDeadlineTimer deadline(5000);
    while (!said.endsWith("(qemu) ") && !deadline.hasExpired()) {
        said += monitor.waitForBytes(1, int(deadline.remainingTime()));
    }
    return said;
}

// Whether done() says so within 10 s, asked every 100 ms.
template<typename Done> bool within10s(Done done)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (done()) {
            return true;
        }
        QThread::msleep(100);
    }
    return false;
}

// QEMU's answer to a monitor command, as the control line's.
QByteArray monitorAnswer(const QByteArray &said)
{
    return said.contains("rror") ? "error " + said.simplified() : "ok";
}

// Right after an unplug QEMU may still hold the device's line, or its id until the guest has
// ejected it: device_add is tried again for a while.
QByteArray plug(PseudoTerminal &monitor, const QByteArray &device)
{
    QByteArray said;
    const bool taken = within10s([&] {
        said = askMonitor(monitor, QByteArray("device_add ") + GuestMachine::pluggable(device));
        return !said.contains("in use") && !said.contains("Duplicate ID");
    });
    return taken ? monitorAnswer(said) : "error QEMU kept the device: " + device;
}

// device_del only asks the guest to let go of a PCI card: the card is gone once QEMU no longer
// knows its id.
QByteArray unplug(PseudoTerminal &monitor, const QByteArray &device)
{
    const QByteArray said = monitorAnswer(askMonitor(monitor, "device_del " + device));
    const bool gone
        = said != "ok" || within10s([&] {
              return !askMonitor(monitor, "info qtree").contains("id \"" + device + '"');
          });
    return gone ? said : "error the guest did not let go of " + device;
}

QByteArray settings(PseudoTerminal &line)
{
    const int fd = ::open(QFile::encodeName(line.slavePath()).constData(),
                          O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios now {};
    const bool read = fd >= 0 && ::tcgetattr(fd, &now) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    if (!read) {
        return "error tcgetattr failed";
    }
    const std::pair<speed_t, int> speeds[]
        = {{B1200, 1200},   {B2400, 2400},   {B4800, 4800},   {B9600, 9600},
           {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}};
    int speed = 0;
    for (const auto &[code, baud] : speeds) {
        if (::cfgetospeed(&now) == code) {
            speed = baud;
        }
    }
    return "ok " + QByteArray::number(speed) + ' ' + ((now.c_cflag & CSTOPB) ? "2" : "1");
}

QByteArray answer(GuestMachine &guest, const QByteArrayList &request)
{
    const QByteArray verb = request.value(0);
    PseudoTerminal *device = guest.device(request.value(1));
    if (verb == "send" && device && request.size() == 3) {
        return device->write(QByteArray::fromHex(request[2])) ? "ok"
                                                              : "error the host's end is closed";
    }
    if (verb == "read" && device && request.size() == 4) {
        return "ok " + device->waitForBytes(request[2].toInt(), request[3].toInt()).toHex();
    }
    if (verb == "settings" && device) {
        return settings(*device);
    }
    if (verb == "unplug" && GuestMachine::pluggable(request.value(1))) {
        return unplug(guest.monitor, request[1]);
    }
    if (verb == "plug" && GuestMachine::pluggable(request.value(1))) {
        return plug(guest.monitor, request[1]);
    }
    return "error unknown request: " + request.join(' ');
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 5) {
        std::fputs("usage: kelmi-driver-host KERNEL INITRAMFS RUN TEST\n", stderr);
        return 2;
    }
    GuestMachine guest;
    if (!guest.start(arguments.mid(1))) {
        std::fprintf(stderr, "kelmi-driver-host: %s\n", qPrintable(guest.errorString()));
        return 2;
    }

    const QDeadlineTimer deadline(guestLimitMs);
    QByteArray received;
    while (!deadline.hasExpired()) {
        showConsole(guest.console);
        received += guest.control.waitForBytes(1, 20);
        for (qsizetype end = received.indexOf('\n'); end >= 0; end = received.indexOf('\n')) {
            const QByteArrayList request = received.left(end).trimmed().split(' ');
            received.remove(0, end + 1);
            if (request.value(0) == "exit") {
                showConsole(guest.console);
                return request.value(1).toInt();
            }
            guest.control.write(answer(guest, request) + '\n');
        }
        if (!guest.isRunning()) {
            showConsole(guest.console);
            std::fputs("kelmi-driver-host: the guest ended without the test's status\n", stderr);
            return 2;
        }
    }
    showConsole(guest.console);
    std::fprintf(stderr, "kelmi-driver-host: the guest did not finish within %d s\n",
                 guestLimitMs / 1000);
    return 2;
}
