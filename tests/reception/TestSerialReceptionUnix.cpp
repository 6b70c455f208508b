#include "TestSerialReception.h"

#include "ConsoleProcess.h"
#include "SerialLine.h"
#include "SerialLocksUnix.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

// Linux's own ways to refuse a port besides those every platform has: device permissions,
// exclusive devices, lock files.
class TestSerialReceptionUnix : public TestSerialReception
{
    Q_OBJECT

protected:
    QString machinePortName(int portNumber) const override;
    QString whyHeldPortsOpen(const QString &) const override { return QString(); }
    void forgetLocksOf(const QString &device) override;
    QString heldBy(const QString &program) const override;
    QString missingDeviceHint(int portNumber) const override;
    void addOpenFailureRows() override;
    bool holdExclusively(const QString &path) override;
    bool releaseExclusiveHold() override;

private Q_SLOTS:
    void portOpenedByAnotherUser_data();
    void portOpenedByAnotherUser();
    void killedConsoleLeavesPortUsable_data();
    void killedConsoleLeavesPortUsable();

private:
    int m_exclusiveHolder = -1;
};

bool TestSerialReceptionUnix::holdExclusively(const QString &path)
{
    m_exclusiveHolder = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    return m_exclusiveHolder >= 0 && ::ioctl(m_exclusiveHolder, TIOCEXCL) == 0;
}

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

QString TestSerialReceptionUnix::heldBy(const QString &program) const
{
    // Qt's lock file names the program that holds the device.
    return QStringLiteral("（%1、PID {pid}）").arg(program);
}

QString TestSerialReceptionUnix::missingDeviceHint(int portNumber) const
{
    return QStringLiteral("KELMI_PORT%1 の設定を確かめてください。").arg(portNumber);
}

void TestSerialReceptionUnix::addOpenFailureRows()
{
    for (int port : {1, 2}) {
        const QString name = port == 1 ? QStringLiteral("ポート１") : QStringLiteral("ポート２");
        QTest::addRow("port %d, a directory", port)
            << port << QStringLiteral("directory")
            << name + QStringLiteral("を開けません: {device}: フォルダーです") << QString();
    }
    // A device name with a file where a folder should be, such as a stray trailing slash.
    QTest::newRow("port 1, a name below a file")
        << 1 << QStringLiteral("under a file")
        << QStringLiteral("ポート１が見つかりません: {device}")
        << QStringLiteral("KELMI_PORT1 の設定を確かめてください。");
    QTest::newRow("port 2, held in this process, named by a link")
        << 2 << QStringLiteral("held here, through a link")
        << QStringLiteral(
               "ポート２は他のプログラムが使用中です: {device}（tst_serialreception、PID {pid}）")
        << QStringLiteral("もう一度「ポート２」を押してください。");
    QTest::newRow("port 2, a link loop")
        << 2 << QStringLiteral("loop")
        << QStringLiteral("ポート２を開けません: {device}: リンクが循環しています") << QString();
    // One device by two names is one port: the device's lock file names the holder.
    QTest::newRow("port 1, held in this process by its own name, asked for through a link")
        << 1 << QStringLiteral("held here by name, asked through a link")
        << QStringLiteral(
               "ポート１は他のプログラムが使用中です: {device}（tst_serialreception、PID {pid}）")
        << QStringLiteral("もう一度「ポート１」を押してください。");
    QTest::newRow("port 2, held by a console on a link, asked for by its own name")
        << 2 << QStringLiteral("held by a console on a link")
        << QStringLiteral(
               "ポート２は他のプログラムが使用中です: {device}（kelmi-test-child、PID {pid}）")
        << QStringLiteral("もう一度「ポート２」を押してください。");
    QTest::newRow("port 1, held by a console by its own name, asked for through a link")
        << 1 << QStringLiteral("held by a console, asked through a link")
        << QStringLiteral(
               "ポート１は他のプログラムが使用中です: {device}（kelmi-test-child、PID {pid}）")
        << QStringLiteral("もう一度「ポート１」を押してください。");
    // Another program made the line exclusive (TIOCEXCL) and wrote no lock file. Root's open
    // would succeed all the same; the console leaves the line, and the flag, alone.
    QTest::newRow("port 2, held exclusive by another program")
        << 2 << QStringLiteral("held exclusive")
        << QStringLiteral("ポート２は他のプログラムが使用中です: {device}")
        << QStringLiteral("もう一度「ポート２」を押してください。");
}

void TestSerialReceptionUnix::portOpenedByAnotherUser_data()
{
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<int>("mode"); // of the device file
    QTest::addColumn<QByteArray>("group"); // of the device file: a name, or a number without one
    // "exclusive": another program holds the device without a lock file; "console": this test
    // holds it as root through the console's own serial line, lock file and all ("console,
    // umask 077": a lock file that others may not read); empty: nobody
    QTest::addColumn<QString>("holder");
    // A lock file that a program of root wrote, {pid} standing for this test's PID; empty: none
    QTest::addColumn<QByteArray>("lockText");
    QTest::addColumn<QString>("expectedFirstLine"); // %1: the device; {lock}; {pid}
    QTest::addColumn<QString>("expectedHint");

    QTest::newRow("port 1, only its owner may open it")
        << 1 << 0600 << QByteArray("tty") << QString() << QByteArray()
        << QStringLiteral("ポート１を開く権限がありません: %1")
        << QStringLiteral("グループ tty にも読み書きの権限がありません。");
    QTest::newRow("port 2, group dialout may open it")
        << 2 << 0660 << QByteArray("dialout") << QString() << QByteArray()
        << QStringLiteral("ポート２を開く権限がありません: %1")
        << QStringLiteral("ユーザーをグループ dialout に加えて、ログインし直してください。");
    QTest::newRow("port 1, held exclusively by a program without a lock file")
        << 1 << 0666 << QByteArray("tty") << QStringLiteral("exclusive") << QByteArray()
        << QStringLiteral("ポート１は他のプログラムが使用中です: %1")
        << QStringLiteral("もう一度「ポート１」を押してください。");
    // A PID that no process has: Linux keeps PIDs below 2^22.
    QTest::newRow("port 2, a stale lock of another user")
        << 2 << 0666 << QByteArray("tty") << QString() << QByteArray("4194999\nminicom\n")
        << QStringLiteral("ポート２を開けません: %1: 古いロックファイル {lock} が残っています")
        << QStringLiteral("管理者にこのファイルを削除してもらってください。");
    // 2^32, which a 32-bit process ID would take for process 0: this process's own group.
    QTest::newRow("port 1, a lock of another user whose PID is no process ID")
        << 1 << 0666 << QByteArray("tty") << QString() << QByteArray("4294967296\nminicom\n")
        << QStringLiteral("ポート１を開けません: %1: 古いロックファイル {lock} が残っています")
        << QStringLiteral("管理者にこのファイルを削除してもらってください。");
    QTest::newRow("port 1, group dialout may only read it")
        << 1 << 0640 << QByteArray("dialout") << QString() << QByteArray()
        << QStringLiteral("ポート１を開く権限がありません: %1")
        << QStringLiteral("グループ dialout にも読み書きの権限がありません。");
    // Made on another system, or the group was removed since.
    QTest::newRow("port 2, a group without a name may open it")
        << 2 << 0660 << QByteArray("4242424") << QString() << QByteArray()
        << QStringLiteral("ポート２を開く権限がありません: %1")
        << QStringLiteral("ユーザーをグループ 4242424 に加えて、ログインし直してください。");
    // The console may not signal root's process (EPERM), yet it runs.
    QTest::newRow("port 2, held by a console of another user")
        << 2 << 0666 << QByteArray("tty") << QStringLiteral("console") << QByteArray()
        << QStringLiteral(
               "ポート２は他のプログラムが使用中です: %1（tst_serialreception、PID {pid}）")
        << QStringLiteral("もう一度「ポート２」を押してください。");
    QTest::newRow("port 1, held by a console of another user with umask 077")
        << 1 << 0666 << QByteArray("tty") << QStringLiteral("console, umask 077") << QByteArray()
        << QStringLiteral("ポート１は他のプログラムが使用中です: %1")
        << QStringLiteral("もう一度「ポート１」を押してください。");
    // minicom pads the PID and names no program.
    QTest::newRow("port 1, held by another user's program that gives its PID alone")
        << 1 << 0666 << QByteArray("tty") << QString() << QByteArray("      {pid}\n")
        << QStringLiteral("ポート１は他のプログラムが使用中です: %1（PID {pid}）")
        << QStringLiteral("もう一度「ポート１」を押してください。");
}

void TestSerialReceptionUnix::portOpenedByAnotherUser()
{
    QFETCH(int, portNumber);
    QFETCH(int, mode);
    QFETCH(QByteArray, group);
    QFETCH(QString, holder);
    QFETCH(QByteArray, lockText);
    QFETCH(QString, expectedFirstLine);
    QFETCH(QString, expectedHint);

    // Root may open any device, exclusive or not; the operator's account may not.
    if (!ConsoleProcess::canRunAsNobody()) {
        QSKIP("running a console as another user needs root");
    }
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
    } else if (holder.startsWith(QLatin1String("console"))) {
        // Run with umask 077, the console leaves a lock file that no other user may read.
        const mode_t previousMask
            = ::umask(holder.endsWith(QLatin1String("umask 077")) ? 077 : 022);
        const bool opened = rootsLine.open(path);
        ::umask(previousMask);
        QVERIFY2(opened, qPrintable(rootsLine.error().text));
    }

    // As another serial program names its lock: "LCK.." and the device's name below /dev.
    const QString lock = QStringLiteral("/var/lock/LCK..") + path.mid(5).replace(u'/', u'_');
    const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid());
    if (!lockText.isEmpty()) {
        QFile written(lock);
        QVERIFY(written.open(QIODevice::WriteOnly)
                && written.write(lockText.replace("{pid}", pid)) > 0);
    }
    expectedFirstLine.replace(QLatin1String("{lock}"), QFileInfo(lock).canonicalFilePath())
        .replace(QLatin1String("{pid}"), QLatin1String(pid));

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

    const QString message = ConsoleProcess::failureMessage(outcome);
    QVERIFY2(!message.isEmpty(), outcome.constData());
    QCOMPARE(message.section(u'\n', 0, 0), expectedFirstLine.arg(path));
    QVERIFY2(message.section(u'\n', 1).contains(expectedHint), qPrintable(message));
}

void TestSerialReceptionUnix::killedConsoleLeavesPortUsable_data()
{
    QTest::addColumn<int>("portNumber");
    // How the console ends during its wait: a signal, or 0 for its display going away.
    QTest::addColumn<int>("ending");
    QTest::newRow("port 1") << 1 << SIGKILL;
    QTest::newRow("port 2") << 2 << SIGKILL;
    QTest::newRow("port 1, SIGTERM") << 1 << SIGTERM;
    QTest::newRow("port 2, SIGHUP, its terminal closed") << 2 << SIGHUP;
    QTest::newRow("port 1, SIGINT, Ctrl+C") << 1 << SIGINT;
    QTest::newRow("port 2, its X server gone, as at a logout") << 2 << 0;
}

void TestSerialReceptionUnix::killedConsoleLeavesPortUsable()
{
    QFETCH(int, portNumber);
    QFETCH(int, ending);

    // The operator's account, not root: root would open a device left exclusive as well.
    if (!ConsoleProcess::canRunAsNobody()) {
        QSKIP("running a console as another user needs root");
    }
    const QString path = line(portNumber).slavePath();
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0666), 0);
    const QStringList receive {QStringLiteral("receive"), QString::number(portNumber)};
    if (ending == SIGKILL) {
        // A console killed during its wait leaves its lock file behind and the device open
        // elsewhere (this test's line holds it, as socat does); the next console of the same
        // user takes it over.
        ConsoleProcess killed;
        QCOMPARE(killed.start(receive, ConsoleProcess::User::Nobody), QByteArray("started"));
        killed.kill();
    } else {
        // A console asked to end lets the port go as its close button does, lock file and all,
        // so that a console of another user may open it next.
        QProcess display;
        const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
        if (ending == 0) {
            // -displayfd 1: the server says its display number on its standard output.
            display.start(QStringLiteral("Xvfb"),
                          {QStringLiteral("-displayfd"), QStringLiteral("1"),
                           QStringLiteral("-nolisten"), QStringLiteral("tcp")});
            QVERIFY2(display.waitForReadyRead(10000), "Xvfb did not start");
            qputenv("DISPLAY", ':' + display.readLine().trimmed());
            qputenv("QT_QPA_PLATFORM", "xcb");
        }
        ConsoleProcess ended;
        const QByteArray started = ended.start({QStringLiteral("wait"), QString::number(portNumber)});
        qputenv("QT_QPA_PLATFORM", platform);
        QCOMPARE(started, QByteArray("waiting"));
        if (ending == 0) {
            display.kill();
            display.waitForFinished();
        } else {
            QCOMPARE(::kill(pid_t(ended.pid()), ending), 0);
        }
        QCOMPARE(ended.exitCode(), ending == 0 ? 1 : 0);
        QCOMPARE(serialLockFiles(QFileInfo(path).canonicalFilePath()), QStringList());
    }
    ConsoleProcess next;
    QCOMPARE(next.start(receive, ConsoleProcess::User::Nobody), QByteArray("started"));
    const QByteArray transmission("2004100000000000Q");
    QVERIFY(line(portNumber).write(transmission));
    QCOMPARE(next.nextLine(), "received " + transmission.toHex());
}

QTEST_GUILESS_MAIN(TestSerialReceptionUnix)
#include "TestSerialReceptionUnix.moc"
