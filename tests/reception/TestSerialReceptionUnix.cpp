#include "TestSerialReception.h"

#include "ConsoleProcess.h"
#include "PortFailureText.h"
#include "SerialLine.h"
#include "SerialLocksUnix.h"
#include "SerialPortListUnix.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace {

// The lock file of a device as Qt's serial port names it: "LCK.." and its name below /dev
// ("LCK..pts_3"), or as minicom does, after its last part ("LCK..3").
QString lockFileOf(const QString &device, bool asMinicom = false)
{
    return QStringLiteral("/var/lock/LCK..")
        + (asMinicom ? QFileInfo(device).fileName()
                     : QString(device).remove(0, 5).replace(u'/', u'_'));
}

// Writes a lock file, "{pid}" in `text` standing for this process's ID.
bool writeLockFile(const QString &lock, QByteArray text)
{
    text.replace("{pid}", QByteArray::number(QCoreApplication::applicationPid()));
    QFile written(lock);
    return written.open(QIODevice::WriteOnly) && written.write(text) == text.size();
}

// Skips the test function, called from its _data, where no console can run as another user.
void skipUnlessConsolesRunAsNobody()
{
    if (!ConsoleProcess::canRunAsNobody()) {
        QSKIP("running a console as another user needs root");
    }
}

} // namespace

// Linux's own ways to refuse a port besides those every platform has: device permissions,
// exclusive devices, lock files.
class TestSerialReceptionUnix : public TestSerialReception
{
    Q_OBJECT

protected:
    QString machinePortName(int portNumber) const override;
    QString whyHeldPortsOpen(const QString &) const override { return QString(); }
    void forgetLocksOf(const QString &device) override;
    QString holderNamed(const QString &program) const override { return program; }
    void addOpenFailureRows() override;
    bool releaseExclusiveHold() override;

private Q_SLOTS:
    void presentPorts_data();
    void presentPorts();
    void portOpenedByAnotherUser_data();
    void portOpenedByAnotherUser();
    void endedHolderLeavesPortUsable_data();
    void endedHolderLeavesPortUsable();

private:
    int m_exclusiveHolder = -1;
};

bool TestSerialReceptionUnix::releaseExclusiveHold()
{
    if (m_exclusiveHolder < 0) {
        return true;
    }
    int exclusive = 0;
    const bool asked = ::ioctl(m_exclusiveHolder, TIOCGEXCL, &exclusive) == 0;
    ::ioctl(m_exclusiveHolder, TIOCNXCL);
    ::close(std::exchange(m_exclusiveHolder, -1));
    return asked && exclusive;
}

void TestSerialReceptionUnix::forgetLocksOf(const QString &device)
{
    // A console killed in an earlier case may have left a lock for a device of the same name.
    for (const QString &lock : serialLockFiles(device)) {
        QVERIFY(QFile::remove(lock));
    }
}

QString TestSerialReceptionUnix::machinePortName(int portNumber) const
{
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
}

void TestSerialReceptionUnix::addOpenFailureRows()
{
    using Port = UnopenablePort;
    const PortFailure::Kind noPort = PortFailure::NotSerialPort;
    const SystemError::Kind any = SystemError::Other;
    const QString none; // holder
    const QString here = QStringLiteral("tst_serialreception");
    const QString console = QStringLiteral("kelmi-test-child");
    const QString name = QStringLiteral("ttyUSB9");
    for (int n : {1, 2}) {
        addOpenFailureRow(n, "a directory", noPort, SystemError::IsFolder, none,
                          [=](Port &port) { return port.makeFolder(name); });
    }
    // A device name with a file where a folder should be, such as a stray trailing slash.
    addOpenFailureRow(1, "a name below a file", PortFailure::Missing, any, none,
                      [=](Port &port) { return port.makeFile(name) + QStringLiteral("/ttyUSB0"); });
    addOpenFailureRow(2, "in a folder that is not there", PortFailure::Missing, any, none,
                      [=](Port &port) { return port.scratchName(QStringLiteral("gone/") + name); });
    addOpenFailureRow(2, "a link loop", PortFailure::Other, SystemError::LinkLoop, none,
                      [](Port &port) {
                          const QString loop = QStringLiteral("ttyLOOP");
                          return port.makeLink(loop, port.linkTo(port.scratchName(loop)));
                      });
    // As /dev/serial/by-id names an adapter: a link, here to a device that is no terminal.
    const QString lastingName
        = QStringLiteral("serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    addOpenFailureRow(
        1, "no terminal, named as an adapter's lasting name", noPort, SystemError::NotSerialPort,
        none, [=](Port &port) { return port.makeLink(lastingName, QStringLiteral("/dev/null")); });
    // It answers a terminal's calls with EINVAL rather than ENOTTY.
    addOpenFailureRow(2, "a device that refuses a terminal's settings", noPort,
                      SystemError::NotSerialPort, none,
                      [](Port &) { return QStringLiteral("/dev/random"); });
    addOpenFailureRow(2, "held in this process, named by a link", PortFailure::Held, any, here,
                      [](Port &port) { return port.holdHere(port.linkTo(port.line)); });
    // One device by two names is one port: the device's lock file names the holder.
    addOpenFailureRow(1, "held in this process by its own name, asked for through a link",
                      PortFailure::Held, any, here,
                      [](Port &port) { return port.linkTo(port.holdHere(port.line)); });
    addOpenFailureRow(2, "held by a console on a link, asked for by its own name",
                      PortFailure::Held, any, console, [](Port &port) {
                          port.holdInConsole(port.linkTo(port.line));
                          return port.line;
                      });
    addOpenFailureRow(1, "held by a console by its own name, asked for through a link",
                      PortFailure::Held, any, console,
                      [](Port &port) { return port.linkTo(port.holdInConsole(port.line)); });
    // Another program made the line exclusive (TIOCEXCL) and wrote no lock file. Root's open
    // would succeed all the same; the console leaves the line, and the flag, alone.
    addOpenFailureRow(
        2, "held exclusive by another program", PortFailure::Held, any, none, [this](Port &port) {
            const QByteArray line = QFile::encodeName(port.line);
            m_exclusiveHolder = ::open(line.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
            QTest::qVerify(m_exclusiveHolder >= 0 && ::ioctl(m_exclusiveHolder, TIOCEXCL) == 0,
                           "TIOCEXCL", "", __FILE__, __LINE__);
            return port.line;
        });
}

void TestSerialReceptionUnix::presentPorts_data()
{
    // Names made below a scratch /dev, each a link to a pseudo-terminal (a character device)
    // unless it ends in '=file'; "ttySn:type" gives the port's UART type in a scratch
    // /sys/class/tty.
    QTest::addColumn<QStringList>("made");
    QTest::addColumn<QStringList>("listed"); // below the scratch /dev, in the order told

    QTest::newRow("none") << QStringList() << QStringList();
    QTest::newRow("adapters, their lasting names, the machine's own ports")
        << QStringList {QStringLiteral("ttyUSB10"),
                        QStringLiteral("ttyUSB9"),
                        QStringLiteral("ttyACM0"),
                        QStringLiteral("ttyS0:4"),
                        QStringLiteral("ttyS1:0"),
                        QStringLiteral("ttyS2"),
                        QStringLiteral("serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0"),
                        QStringLiteral("ttyUSB3=file"),
                        QStringLiteral("ttyprintk")}
        << QStringList {QStringLiteral("ttyACM0"), QStringLiteral("ttyUSB9"),
                        QStringLiteral("ttyUSB10"), QStringLiteral("ttyS0"),
                        QStringLiteral("serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0")};
}

// A missing port's message names the ports there are, by the names an operator can give it.
void TestSerialReceptionUnix::presentPorts()
{
    QFETCH(QStringList, made);
    QFETCH(QStringList, listed);

    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    const QDir devices(scratch.filePath(QStringLiteral("dev")));
    const QDir ttyClass(scratch.filePath(QStringLiteral("sys")));
    QVERIFY(QDir().mkpath(devices.filePath(QStringLiteral("serial/by-id"))));
    for (const QString &name : made) {
        const QString path = devices.filePath(name.section(u':', 0, 0).section(u'=', 0, 0));
        if (name.endsWith(QLatin1String("=file"))) {
            QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        } else {
            QVERIFY(QFile::link(line(1).slavePath(), path));
        }
        if (name.contains(u':')) {
            const QString type = ttyClass.filePath(QFileInfo(path).fileName());
            QVERIFY(QDir().mkpath(type));
            QFile file(type + QStringLiteral("/type"));
            QVERIFY(file.open(QIODevice::WriteOnly)
                    && file.write(name.section(u':', 1).toLatin1()));
        }
    }
    QStringList expected;
    for (const QString &name : listed) {
        expected += devices.filePath(name);
    }
    QCOMPARE(presentSerialPorts(devices.path(), ttyClass.path()), expected);
}

void TestSerialReceptionUnix::portOpenedByAnotherUser_data()
{
    // Root may open any device, exclusive or not; the operator's account may not.
    skipUnlessConsolesRunAsNobody();
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<int>("mode"); // of the device file
    QTest::addColumn<QByteArray>("group"); // of the device file: a name, or a number without one
    // "exclusive": another program holds the device without a lock file; "console": this test
    // holds it as root through the console's own serial line; "umask 077": the lock file below
    // is one that others may not read; "minicom": it is named as minicom names it; empty: nobody
    QTest::addColumn<QString>("holder");
    // A lock file that a program of root wrote (see writeLockFile); empty: none
    QTest::addColumn<QByteArray>("lockText");
    // What the console of user nobody reports besides the port: NotPermitted with the user,
    // the group and its use, or Held with the holder, holderPid -1 for this test's process.
    QTest::addColumn<PortFailure>("expected");

    const QByteArray none;
    const auto notPermitted
        = [](const char *name, int port, int mode, const char *group, bool groupMayUse) {
              PortFailure expected;
              expected.kind = PortFailure::NotPermitted;
              expected.user = QStringLiteral("nobody");
              expected.group = QString::fromLatin1(group);
              expected.groupMayUse = groupMayUse;
              QTest::newRow(name) << port << mode << QByteArray(group) << QString() << QByteArray()
                                  << expected;
          };
    const auto held = [](const char *name, int port, const QString &holder, const QByteArray &lock,
                         const QString &program = QString(), qint64 pid = 0) {
        PortFailure expected;
        expected.kind = PortFailure::Held;
        expected.holderProgram = program;
        expected.holderPid = pid;
        QTest::newRow(name) << port << 0666 << QByteArray("tty") << holder << lock << expected;
    };
    const qint64 thisTest = -1;
    notPermitted("port 1, only its owner may open it", 1, 0600, "tty", false);
    notPermitted("port 2, group dialout may open it", 2, 0660, "dialout", true);
    held("port 1, held exclusively by a program without a lock file", 1,
         QStringLiteral("exclusive"), none);
    notPermitted("port 1, group dialout may only read it", 1, 0640, "dialout", false);
    // Made on another system, or the group was removed since.
    notPermitted("port 2, a group without a name may open it", 2, 0660, "4242424", true);
    // The console may not signal root's process (EPERM), yet it runs.
    held("port 2, held by a console of another user", 2, QStringLiteral("console"), none,
         QStringLiteral("tst_serialreception"), thisTest);
    held("port 1, a lock file of another user's program that others may not read", 1,
         QStringLiteral("umask 077"), "{pid}\nminicom\n");
    // minicom pads the PID and names no program: the process's own name tells it.
    held("port 1, held by another user's program that gives its PID alone", 1,
         QStringLiteral("minicom"), "      {pid}\n", QStringLiteral("tst_serialreception"),
         thisTest);
    held("port 2, held by a program whose lock file is named as Qt names it", 2, QString(),
         "{pid}\nkelmi-device\n", QStringLiteral("kelmi-device"), thisTest);
}

void TestSerialReceptionUnix::portOpenedByAnotherUser()
{
    QFETCH(int, portNumber);
    QFETCH(int, mode);
    QFETCH(QByteArray, group);
    QFETCH(QString, holder);
    QFETCH(QByteArray, lockText);
    QFETCH(PortFailure, expected);

    const QString path = line(portNumber).slavePath();
    const QByteArray device = QFile::encodeName(path);
    QCOMPARE(::chmod(device.constData(), mode_t(mode)), 0);
    bool byNumber = false; // a group that this system knows by its number only
    const ::group *entry = ::getgrnam(group.constData());
    const gid_t gid = entry ? entry->gr_gid : group.toUInt(&byNumber);
    if (!entry && (!byNumber || ::getgrgid(gid))) {
        QSKIP("this system has no such group, or a name for that number");
    }
    QCOMPARE(::chown(device.constData(), 0, gid), 0);
    int exclusiveHolder = -1;
    SerialLine rootsLine;
    if (holder == QLatin1String("exclusive")) {
        exclusiveHolder = ::open(device.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(exclusiveHolder >= 0);
        QCOMPARE(::ioctl(exclusiveHolder, TIOCEXCL), 0);
    } else if (holder == QLatin1String("console")) {
        QVERIFY2(rootsLine.open(path), qPrintable(rootsLine.error().text));
    }
    const QString lock = lockFileOf(path, holder == QLatin1String("minicom"));
    QVERIFY(lockText.isEmpty() || writeLockFile(lock, lockText));
    if (holder == QLatin1String("umask 077")) {
        QVERIFY(QFile::setPermissions(lock, QFile::ReadOwner | QFile::WriteOwner));
    }

    ConsoleProcess console;
    const QByteArray outcome = console.start(
        {QStringLiteral("receive"), QString::number(portNumber)}, ConsoleProcess::User::Nobody);
    if (exclusiveHolder >= 0) {
        ::ioctl(exclusiveHolder, TIOCNXCL);
        ::close(exclusiveHolder);
    }

    if (!lockText.isEmpty()) {
        QVERIFY(QFile::remove(lock));
    }

    const std::optional<PortFailure> failure = ConsoleProcess::failure(outcome);
    QVERIFY2(failure, outcome.constData());
    expected.slot = PlayerSlot(portNumber);
    expected.device = path;
    expected.configured = true;
    expected.error = failure->error; // the system's own report, whatever it says
    if (expected.holderPid < 0) {
        expected.holderPid = QCoreApplication::applicationPid();
    }
    QCOMPARE(*failure, expected);
}

void TestSerialReceptionUnix::endedHolderLeavesPortUsable_data()
{
    // The operator's account, not root: root would open a device left exclusive as well.
    skipUnlessConsolesRunAsNobody();
    QTest::addColumn<int>("portNumber");
    // How a console of root ends during its wait: a signal, 0 for its display going away, or
    // -1 for no console at all.
    QTest::addColumn<int>("ending");
    // A lock file that another user's program left behind ({pid}: this test's PID, a process
    // that runs), and whether it was written before the machine last started.
    QTest::addColumn<QByteArray>("lockText");
    QTest::addColumn<bool>("beforeStart");
    const QByteArray none;
    QTest::newRow("port 1, SIGKILL") << 1 << SIGKILL << none << false;
    QTest::newRow("port 2, SIGKILL") << 2 << SIGKILL << none << false;
    QTest::newRow("port 1, SIGTERM") << 1 << SIGTERM << none << false;
    QTest::newRow("port 2, SIGHUP, its terminal closed") << 2 << SIGHUP << none << false;
    QTest::newRow("port 1, SIGINT, Ctrl+C") << 1 << SIGINT << none << false;
    QTest::newRow("port 2, its X server gone, as at a logout") << 2 << 0 << none << false;
    // A PID that no process has: Linux keeps PIDs below 2^22.
    QTest::newRow("port 2, a stale lock file of another user")
        << 2 << -1 << QByteArray("4194999\nminicom\n") << false;
    // 2^32, which a 32-bit process ID would take for process 0: this process's own group.
    QTest::newRow("port 1, a lock file of another user whose PID is no process ID")
        << 1 << -1 << QByteArray("4294967296\nminicom\n") << false;
    // A power cut leaves lock files where the lock folder outlives a restart; their PIDs may
    // have been given to other processes since.
    QTest::newRow("port 2, a lock file from before the start, its PID another process's now")
        << 2 << -1 << QByteArray("{pid}\nminicom\n") << true;
}

// However the last holder ended, the next console gets the port at once, whatever its account:
// the console's own hold is the kernel's lock, which ends with the process, and it leaves no
// lock file behind.
void TestSerialReceptionUnix::endedHolderLeavesPortUsable()
{
    QFETCH(int, portNumber);
    QFETCH(int, ending);
    QFETCH(QByteArray, lockText);
    QFETCH(bool, beforeStart);

    const QString path = line(portNumber).slavePath();
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0666), 0);
    const QStringList receive {QStringLiteral("receive"), QString::number(portNumber)};
    const QString lock = lockFileOf(path);
    if (!lockText.isEmpty()) {
        QVERIFY(writeLockFile(lock, lockText));
        QFile file(lock);
        QVERIFY(!beforeStart
                || (file.open(QIODevice::ReadWrite)
                    && file.setFileTime(QDateTime(QDate(2000, 1, 1), QTime(0, 0)),
                                        QFileDevice::FileModificationTime)));
    } else if (ending == SIGKILL) {
        // Killed outright, as a crash or a desktop's force quit ends it, with the device still
        // open elsewhere (this test's line holds it, as socat does).
        ConsoleProcess killed;
        QCOMPARE(killed.start(receive), QByteArray("started"));
        killed.kill();
    } else {
        // A console asked to end lets the port go as its close button does.
        QProcess display;
        const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
        const QByteArray sanitizerOptions = qgetenv("ASAN_OPTIONS");
        if (ending == 0) {
            // -displayfd 1: the server says its display number on its standard output.
            display.start(QStringLiteral("Xvfb"),
                          {QStringLiteral("-displayfd"), QStringLiteral("1"),
                           QStringLiteral("-nolisten"), QStringLiteral("tcp")});
            QVERIFY2(display.waitForReadyRead(10000), "Xvfb did not start");
            qputenv("DISPLAY", ':' + display.readLine().trimmed());
            qputenv("QT_QPA_PLATFORM", "xcb");
            // libxkbcommon-x11, which Qt's xcb platform loads, reads past a string end that
            // AddressSanitizer's strict string checks hold against it (a sanitizer build).
            qputenv("ASAN_OPTIONS", qgetenv("ASAN_OPTIONS") + ":strict_string_checks=0");
        }
        ConsoleProcess ended;
        const QByteArray started
            = ended.start({QStringLiteral("wait"), QString::number(portNumber)});
        qputenv("QT_QPA_PLATFORM", platform);
        qputenv("ASAN_OPTIONS", sanitizerOptions);
        QCOMPARE(started, QByteArray("waiting"));
        if (ending == 0) {
            display.kill();
            display.waitForFinished();
        } else {
            QCOMPARE(::kill(pid_t(ended.pid()), ending), 0);
        }
        QCOMPARE(ended.exitCode(), ending == 0 ? 1 : 0);
    }
    if (lockText.isEmpty()) {
        QCOMPARE(serialLockFiles(path), QStringList());
    }
    ConsoleProcess next;
    const QByteArray started = next.start(receive, ConsoleProcess::User::Nobody);
    if (!lockText.isEmpty()) {
        QVERIFY(QFile::remove(lock));
    }
    QCOMPARE(started, QByteArray("started"));
    const QByteArray transmission("2004100000000000Q");
    QVERIFY(line(portNumber).write(transmission));
    QCOMPARE(next.nextLine(), "received " + transmission.toHex());
}

QTEST_GUILESS_MAIN(TestSerialReceptionUnix)
#include "TestSerialReceptionUnix.moc"
