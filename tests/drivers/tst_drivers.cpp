// The reception on the kernel's own serial drivers: ftdi_sio serving an FTDI adapter
// (/dev/ttyUSB0) and 8250 serving a 16550 on ISA (/dev/ttyS0) and one on a PCI card
// (/dev/ttyS2), in the QEMU guest that scripts/test-drivers boots, the devices played from the
// host (HostDevices). Anywhere else it skips. Each row's tag begins with the driver it runs
// on, and the row reports its time.

#include "ConsoleProcess.h"
#include "HostDevices.h"
#include "SerialLine.h"
#include "SerialPortList.h"
#include "SerialReception.h"
#include "WaitDriver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <ctime>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <optional>

using Device = HostDevices::Device;
using Kind = SerialReception::Outcome::Kind;

namespace {

const QString adapterPath = QStringLiteral("/dev/ttyUSB0");
// What udev names the adapter whose serial number the host gives it.
const QString adapterById
    = QStringLiteral("/dev/serial/by-id/usb-QEMU_QEMU_USB_SERIAL_TEST01-if00-port0");
const QString uartPath = QStringLiteral("/dev/ttyS0");
const QString pciUartPath = QStringLiteral("/dev/ttyS2");
const QByteArray transmission = "1C5ABCDEFGHIJKLMN";

// The tty behind a device name ("ttyUSB0"), and its driver and UART type as sysfs tells them.
QString ttyOf(const QString &path)
{
    return QFileInfo(QFileInfo(path).canonicalFilePath()).fileName();
}

QString driverOf(const QString &path)
{
    const QString link = QStringLiteral("/sys/class/tty/%1/device/driver").arg(ttyOf(path));
    return QFileInfo(QFile::symLinkTarget(link)).fileName();
}

QByteArray ttyType(const QString &path)
{
    QFile type(QStringLiteral("/sys/class/tty/%1/type").arg(ttyOf(path)));
    return type.open(QIODevice::ReadOnly) ? type.readAll().trimmed() : QByteArray();
}

// The line's settings as its driver has them, seen through a descriptor of the test's own;
// `change`, when given, changes them and the line takes them. Nothing when a step fails.
std::optional<termios> lineSettings(const QString &path, void (*change)(termios &) = nullptr)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios settings {};
    bool ok = fd >= 0 && ::tcgetattr(fd, &settings) == 0;
    if (ok && change) {
        change(settings);
        ok = ::tcsetattr(fd, TCSANOW, &settings) == 0;
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return ok ? std::optional(settings) : std::nullopt;
}

// What this process has open on the tty (whose node may be gone: "/dev/ttyUSB0 (deleted)").
QStringList openOn(const QString &tty)
{
    const QString node = QStringLiteral("/dev/") + tty;
    QStringList open;
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : descriptors.entryList(QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = QFile::symLinkTarget(descriptors.filePath(fd));
        if (target == node || target.startsWith(node + QLatin1Char(' '))) {
            open += target;
        }
    }
    return open;
}

QStringList lockFiles()
{
    return QDir(QStringLiteral("/run/lock")).entryList({QStringLiteral("LCK..*")}, QDir::Files);
}

qint64 cpuTimeNs()
{
    timespec used {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return qint64(used.tv_sec) * 1'000'000'000 + used.tv_nsec;
}

void addDeviceColumns()
{
    QTest::addColumn<QString>("port"); // the name the port's variable gives
    QTest::addColumn<Device>("device");
}

} // namespace

class TestDrivers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void receivesTransmission_data();
    void receivesTransmission();
    void waitsAt9600_8N1AndAbortReleasesPort_data();
    void waitsAt9600_8N1AndAbortReleasesPort();
    void pulledDuringWait_data();
    void pulledDuringWait();
    void portsAsTheMachineHasThem_data();
    void portsAsTheMachineHasThem();

private:
    SerialReception::Outcome receive(SerialReception &reception, PlayerSlot slot,
                                     const QString &port);
    // A reception on port 1 during which the device sends the transmission's first `count`
    // bytes; once the line holds them, `then` runs inside the wait.
    SerialReception::Outcome receiveFirst(SerialReception &reception, const QString &port,
                                          Device device, int count,
                                          const std::function<void()> &then);
    // The port serves the reception again: the whole transmission, sent once it waits, arrives.
    void receivesAgain(SerialReception &reception, const QString &port, Device device);

    std::unique_ptr<HostDevices> m_host;
    QElapsedTimer m_rowTime;
};

void TestDrivers::initTestCase()
{
    const QString control = qEnvironmentVariable("KELMI_DRIVER_CONTROL");
    if (control.isEmpty()) {
        QSKIP("runs in the guest of scripts/test-drivers, which names its control line in "
              "KELMI_DRIVER_CONTROL");
    }
    m_host = std::make_unique<HostDevices>(control);
    QVERIFY2(m_host->isOpen(), qPrintable(m_host->errorString()));
    // The rows are named after these drivers: the 16550 that ACPI describes is 8250's
    // (its PNP part, "serial"), and so is the one on the PCI card (its PCI part): PORT_16550A.
    QCOMPARE(driverOf(adapterPath), QStringLiteral("ftdi_sio"));
    for (const QString &path : {uartPath, pciUartPath}) {
        QCOMPARE(driverOf(path), QStringLiteral("serial"));
        QCOMPARE(ttyType(path), QByteArray("4"));
    }
}

void TestDrivers::init()
{
    // What the guest sent in an earlier row is not this row's.
    m_host->read(Device::Adapter, 0, 0);
    m_host->read(Device::Uart, 0, 0);
    m_rowTime.start();
}

void TestDrivers::cleanup()
{
    qInfo("%lld ms", m_rowTime.elapsed());
    qunsetenv("KELMI_PORT1");
    qunsetenv("KELMI_PORT2");
}

SerialReception::Outcome TestDrivers::receive(SerialReception &reception, PlayerSlot slot,
                                              const QString &port)
{
    qputenv(slotFacts(slot).portVariable, QFile::encodeName(port));
    return reception.receive(slot);
}

SerialReception::Outcome TestDrivers::receiveFirst(SerialReception &reception, const QString &port,
                                                   Device device, int count,
                                                   const std::function<void()> &then)
{
    SerialLine *line = reception.findChild<SerialLine *>(QStringLiteral("MSComm1"));
    WaitDriver wait([&] { reception.abort(); }, 20000);
    wait.after(0, [&] {
        QVERIFY2(m_host->send(device, transmission.left(count)), qPrintable(m_host->errorString()));
    });
    wait.poll([&] {
        if (!line || !line->isOpen() || line->bytesAvailable() < count) {
            return false;
        }
        then();
        return true;
    });
    return receive(reception, PlayerSlot::One, port);
}

void TestDrivers::receivesAgain(SerialReception &reception, const QString &port, Device device)
{
    const SerialReception::Outcome next
        = receiveFirst(reception, port, device, int(transmission.size()), [] {});
    QCOMPARE(next.kind, Kind::Received);
    QCOMPARE(next.bytes, transmission);
}

void TestDrivers::receivesTransmission_data()
{
    addDeviceColumns();
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<QByteArray>("greeting"); // what the device gets before the first yield
    QTest::addColumn<QList<int>>("pieces");
    for (const auto &[port, device, driver] : {std::tuple(adapterPath, Device::Adapter, "ftdi_sio"),
                                               std::tuple(uartPath, Device::Uart, "8250")}) {
        QTest::addRow("%s: port 1 sends nothing, 17 bytes at once", driver)
            << port << device << 1 << QByteArray() << QList<int> {17};
        QTest::addRow("%s: port 2 sends AT CR, 17 bytes at once", driver)
            << port << device << 2 << QByteArray("AT\r") << QList<int> {17};
        QTest::addRow("%s: 5, 5 and 7 bytes", driver)
            << port << device << 1 << QByteArray() << QList<int> {5, 5, 7};
    }
    QTest::addRow("ftdi_sio: 17 bytes at once, by-id name")
        << adapterById << Device::Adapter << 1 << QByteArray() << QList<int> {17};
}

void TestDrivers::receivesTransmission()
{
    QFETCH(QString, port);
    QFETCH(Device, device);
    QFETCH(int, portNumber);
    QFETCH(QByteArray, greeting);
    QFETCH(QList<int>, pieces);

    SerialReception reception;
    QByteArray sent;
    // The greeting goes out before the first yield; none is waited for a while.
    QList<WaitDriver::Step> steps {[&] {
        sent = m_host->read(device, 3, greeting.isEmpty() ? 500 : 5000);
    }};
    qsizetype from = 0;
    for (const int size : pieces) {
        steps += [this, device, piece = transmission.mid(from, size)] {
            QVERIFY2(m_host->send(device, piece), qPrintable(m_host->errorString()));
        };
        from += size;
    }
    WaitDriver wait([&] { reception.abort(); }, 15000);
    // Apart long enough for each piece to reach the reception on its own.
    wait.inTurn(steps, 100, [&] { return !reception.isWaiting(); });
    const SerialReception::Outcome outcome = receive(reception, PlayerSlot(portNumber), port);

    QCOMPARE(sent, greeting);
    QCOMPARE(wait.stepsRun(), steps.size());
    QCOMPARE(outcome.kind, Kind::Received);
    QCOMPARE(outcome.bytes, transmission);
}

void TestDrivers::waitsAt9600_8N1AndAbortReleasesPort_data()
{
    addDeviceColumns();
    QTest::newRow("ftdi_sio: 9600 8N1, abort after 16 bytes") << adapterPath << Device::Adapter;
    QTest::newRow("8250: 9600 8N1, abort after 16 bytes") << uartPath << Device::Uart;
}

void TestDrivers::waitsAt9600_8N1AndAbortReleasesPort()
{
    QFETCH(QString, port);
    QFETCH(Device, device);

    // The line as another program could have left it: 19200 baud, 7 data bits, even parity,
    // 2 stop bits.
    QVERIFY(lineSettings(port, [](termios &settings) {
        ::cfsetspeed(&settings, B19200);
        settings.c_cflag = (settings.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB;
    }));
    // The host's end shows what the driver makes of the guest's settings: speed and stop
    // bits (a pseudo-terminal keeps 8 data bits and no parity whatever it is told).
    const auto before = m_host->settings(device);
    QVERIFY2(before, qPrintable(m_host->errorString()));
    QCOMPARE(before->speed, 19200);
    QCOMPARE(before->stopBits, 2);

    SerialReception reception;
    std::optional<HostDevices::LineSettings> atHost;
    std::optional<termios> atDriver; // once 16 bytes have arrived
    const SerialReception::Outcome first = receiveFirst(reception, port, device, 16, [&] {
        atHost = m_host->settings(device);
        atDriver = lineSettings(port);
        reception.abort();
    });
    QCOMPARE(first.kind, Kind::Aborted);
    QVERIFY(atDriver);
    QCOMPARE(::cfgetospeed(&*atDriver), speed_t(B9600));
    QCOMPARE(atDriver->c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(atDriver->c_cflag & (PARENB | CSTOPB), tcflag_t(0));
    QVERIFY2(atHost, qPrintable(m_host->errorString()));
    QCOMPARE(atHost->speed, 9600);
    QCOMPARE(atHost->stopBits, 1);
    QCOMPARE(lockFiles(), QStringList());
    // The port is free again, and what came before the abort is gone.
    receivesAgain(reception, port, device);
}

void TestDrivers::pulledDuringWait_data()
{
    addDeviceColumns();
    QTest::newRow("ftdi_sio: adapter pulled and put back, device name")
        << adapterPath << Device::Adapter;
    QTest::newRow("ftdi_sio: adapter pulled and put back, by-id name")
        << adapterById << Device::Adapter;
    // Its node stays, with type 0.
    QTest::newRow("8250: PCI card pulled and put back") << pciUartPath << Device::PciUart;
}

void TestDrivers::pulledDuringWait()
{
    QFETCH(QString, port);
    QFETCH(Device, device);
    const QString tty = ttyOf(port);

    SerialReception reception;
    // Pulled once the bytes are in, so that none is left to reach the device put back.
    bool unplugged = false;
    const SerialReception::Outcome outcome
        = receiveFirst(reception, port, device, 5, [&] { unplugged = m_host->unplug(device); });
    // After a wait that ended, the event loop idles: a line that keeps waking it would show.
    const qint64 cpuBefore = cpuTimeNs();
    QElapsedTimer idle;
    idle.start();
    QTest::qWait(500);
    const qint64 cpuIdle = cpuTimeNs() - cpuBefore;
    const qint64 wallIdle = idle.nsecsElapsed();
    const QStringList stillOpen = openOn(tty);
    const QStringList locks = lockFiles();
    // While it is away, it is no port of the machine's.
    const bool listedWhileAway = presentSerialPorts().contains(port);
    SerialReception::Outcome whileAway;
    {
        WaitDriver away([&] { reception.abort(); });
        whileAway = receive(reception, PlayerSlot::One, port);
    }
    // Put back before anything is checked, so that the next rows have it.
    const bool putBack = m_host->plug(device)
        && QTest::qWaitFor([&] { return presentSerialPorts().contains(port); }, 15000);

    QVERIFY2(unplugged, qPrintable(m_host->errorString()));
    QCOMPARE(outcome.kind, Kind::Failed);
    QCOMPARE(outcome.failure.kind, PortFailure::LineLost);
    QCOMPARE(outcome.failure.device, port);
    QVERIFY(!reception.isWaiting());
    QCOMPARE(stillOpen, QStringList());
    QCOMPARE(locks, QStringList());
    QVERIFY2(cpuIdle < wallIdle / 2,
             qPrintable(QStringLiteral("%1 ms of CPU in %2 ms after the wait")
                            .arg(cpuIdle / 1'000'000)
                            .arg(wallIdle / 1'000'000)));
    QVERIFY(!listedWhileAway);
    QCOMPARE(whileAway.kind, Kind::Failed);
    QCOMPARE(whileAway.failure.kind, PortFailure::Missing);
    QVERIFY2(putBack, qPrintable(port + QStringLiteral(" did not come back")));

    // Another console takes the port that came back, and receives.
    {
        ConsoleProcess next;
        QCOMPARE(next.start({QStringLiteral("receive"), QStringLiteral("1")}),
                 QByteArray("started"));
        const bool sent = m_host->send(device, transmission);
        const QByteArray said = next.nextLine(10000);
        QVERIFY2(sent,
                 qPrintable(m_host->errorString() + QStringLiteral("; the console said: ")
                            + QString::fromLocal8Bit(said)));
        QCOMPARE(said, "received " + transmission.toHex());
        QCOMPARE(next.exitCode(), 0);
    }
    // So does this one.
    receivesAgain(reception, port, device);
}

void TestDrivers::portsAsTheMachineHasThem_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("node"); // whether /dev has it
    QTest::addColumn<QString>("named"); // missing: a port that its failure names; empty: listed
    const QString listed;
    QTest::newRow("ftdi_sio: by-id name listed") << adapterById << true << listed;
    QTest::newRow("ftdi_sio: ttyUSB0 listed") << adapterPath << true << listed;
    QTest::newRow("8250: ttyS0 listed") << uartPath << true << listed;
    QTest::newRow("8250: PCI card's ttyS2 listed") << pciUartPath << true << listed;
    QTest::newRow("ftdi_sio: ttyUSB9 missing, the adapter's by-id name listed")
        << QStringLiteral("/dev/ttyUSB9") << false << adapterById;
    QTest::newRow("8250: ttyS9 missing, ttyS0 listed")
        << QStringLiteral("/dev/ttyS9") << false << uartPath;
    // An unused port has its node all the same: only its type (0, no UART) tells.
    QTest::newRow("8250: unused ttyS3 not listed, missing, ttyS0 listed")
        << QStringLiteral("/dev/ttyS3") << true << uartPath;
}

void TestDrivers::portsAsTheMachineHasThem()
{
    QFETCH(QString, port);
    QFETCH(bool, node);
    QFETCH(QString, named);

    QCOMPARE(QFileInfo::exists(port), node);
    QCOMPARE(presentSerialPorts().contains(port), named.isEmpty());
    if (named.isEmpty()) {
        return;
    }
    if (node) {
        QCOMPARE(ttyType(port), QByteArray("0"));
    }
    SerialReception reception;
    WaitDriver wait([&] { reception.abort(); });
    const SerialReception::Outcome outcome = receive(reception, PlayerSlot::One, port);

    QCOMPARE(outcome.kind, Kind::Failed);
    QCOMPARE(outcome.failure.device, port);
    QCOMPARE(outcome.failure.kind, PortFailure::Missing);
    QVERIFY2(outcome.failure.presentPorts.contains(named),
             qPrintable(outcome.failure.presentPorts.join(QLatin1Char(' '))));
}

QTEST_GUILESS_MAIN(TestDrivers)
#include "tst_drivers.moc"
