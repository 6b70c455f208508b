#include "TestSerialReception.h"

#include "ConsoleProcess.h"
#include "PortFailureText.h"
#include "SerialLine.h"
#include "SerialPortList.h"
#include "WaitDriver.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using Kind = SerialReception::Outcome::Kind;

SerialLine *TestSerialReception::portOf(SerialReception &reception)
{
    return reception.findChild<SerialLine *>(QStringLiteral("MSComm1"));
}

void TestSerialReception::init()
{
    m_lines.emplace();
    QVERIFY2(m_lines->isOpen(), qPrintable(m_lines->errorString()));
    for (int portNumber : {1, 2}) {
        forgetLocksOf(line(portNumber).slavePath());
    }
}

void TestSerialReception::cleanup()
{
    m_lines.reset();
}

void TestSerialReception::portNames_data()
{
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<QByteArray>("ownVariable"); // the port's KELMI_PORTn; null: unset
    QTest::addColumn<QByteArray>("otherVariable"); // the other port's
    QTest::addColumn<QString>("expected");

    const QByteArray unset;
    for (int n : {1, 2}) {
        const QString own = machinePortName(n);
        QTest::addRow("port %d, no variable", n) << n << unset << unset << own;
        QTest::addRow("port %d from its variable", n)
            << n << QByteArray("/dev/ttyUSB0") << unset << QStringLiteral("/dev/ttyUSB0");
        QTest::addRow("port %d ignores the other port's variable", n)
            << n << unset << QByteArray("/dev/ttyUSB1") << own;
        QTest::addRow("port %d, empty variable", n) << n << QByteArray("") << unset << own;
    }
    QTest::newRow("both set") << 2 << QByteArray("/dev/pts/8") << QByteArray("/dev/pts/7")
                              << QStringLiteral("/dev/pts/8");
}

void TestSerialReception::portNames()
{
    QFETCH(int, portNumber);
    QFETCH(QByteArray, ownVariable);
    QFETCH(QByteArray, otherVariable);
    QFETCH(QString, expected);

    const char *const variables[] = {"KELMI_PORT1", "KELMI_PORT2"};
    qunsetenv(variables[0]);
    qunsetenv(variables[1]);
    if (!ownVariable.isNull()) {
        qputenv(variables[portNumber - 1], ownVariable);
    }
    if (!otherVariable.isNull()) {
        qputenv(variables[2 - portNumber], otherVariable);
    }
    const PlayerPort port = playerPort(PlayerSlot(portNumber));
    QCOMPARE(port.device, expected);
    // Only a variable names any other device than the machine's own port.
    QCOMPARE(port.configured, expected != machinePortName(portNumber));
}

void TestSerialReception::receivesTransmission_data()
{
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<QByteArray>("before"); // on the line before the port opens
    QTest::addColumn<QByteArrayList>("pieces"); // sent 15 ms apart while the reception waits
    QTest::addColumn<QByteArray>("after"); // sent 30 ms after the last piece
    QTest::addColumn<QByteArray>("expected");

    const auto row
        = [](const char *name, int port, const QByteArrayList &pieces, const QByteArray &expected,
             const QByteArray &before = {}, const QByteArray &after = {}) {
              QTest::newRow(name) << port << before << pieces << after << expected;
          };
    const QByteArray seventeen("1C5000000000000AB");
    row("exactly 17 bytes", 1, {seventeen}, seventeen);
    row("exactly 17 bytes, port 2", 2, {seventeen}, seventeen);
    row("20 bytes waiting at the first poll that sees 17", 1, {"3070000000200000XYZW"},
        "3070000000200000XYZW");
    row("pieces 5, 5, 7", 1, {"1C500", "00000", "0000XYZ"}, "1C500000000000XYZ");
    row("16 bytes, then 1", 2, {"2004100000000000", "Q"}, "2004100000000000Q");
    row("16 bytes, then a burst of 300", 1, {QByteArray(16, 'a'), QByteArray(300, 'b')},
        QByteArray(16, 'a') + QByteArray(300, 'b'));
    const QByteArray flood = seventeen + QByteArray(4095 - seventeen.size(), 'x');
    row("a flood of 4095 bytes at once", 1, {flood}, flood);
    const QByteArray everyValue("\x00\x11\x13\r\n\x7f\x80\xa1\xdf\xff", 10);
    row("every byte value", 1, {everyValue, "0123456"}, everyValue + "0123456");
    // Dropped at the open: what the line held before is no part of the transmission.
    const QByteArray fresh("1C500000000000XYZ");
    row("a few bytes before the open", 1, {fresh}, fresh, "OLD");
    row("a whole transmission before the open", 1, {fresh}, fresh, "4000000000000000000OLD");
    // Arriving with the port closed: nobody reads them.
    row("bytes after the read", 1, {fresh}, fresh, {}, "LATE");
}

void TestSerialReception::receivesTransmission()
{
    QFETCH(int, portNumber);
    QFETCH(QByteArray, before);
    QFETCH(QByteArrayList, pieces);
    QFETCH(QByteArray, after);
    QFETCH(QByteArray, expected);

    QVERIFY(line(portNumber).deliver(before));
    QCOMPARE(line(portNumber).pendingOnLine(), before.size());

    SerialReception reception;
    WaitDriver wait([&] { reception.abort(); });
    // Each step once the one before has run, so that the pieces keep their order.
    QList<bool> waitingAtPiece;
    QList<WaitDriver::Step> steps;
    for (const QByteArray &piece : pieces) {
        steps += [&] {
            waitingAtPiece.append(reception.isWaiting());
            QVERIFY(line(portNumber).deliver(piece));
        };
    }
    steps << [] {
    } << [&] {
        QVERIFY(line(portNumber).deliver(after));
    };
    wait.inTurn(steps, 15);

    const SerialReception::Outcome outcome = reception.receive(PlayerSlot(portNumber));

    QCOMPARE(outcome.kind, Kind::Received);
    QCOMPARE(outcome.bytes, expected);
    QCOMPARE(outcome.failure, PortFailure());
    QCOMPARE(waitingAtPiece, QList<bool>(pieces.size(), true));
    QVERIFY(!reception.isWaiting());
    QVERIFY(!portOf(reception)->isOpen());
    // What comes after the read stays on the line, and nothing else does.
    QTRY_COMPARE_WITH_TIMEOUT(line(portNumber).pendingOnLine(), after.size(), 2000);
    QCOMPARE(portOf(reception)->bytesAvailable(), 0);
}

namespace {

// A row for each player's port: "port 1", "port 2".
void addEachPortRows()
{
    QTest::addColumn<int>("portNumber");
    QTest::newRow("port 1") << 1;
    QTest::newRow("port 2") << 2;
}

} // namespace

void TestSerialReception::sendsGreetingBeforeFirstPoll_data()
{
    addEachPortRows();
}

// Each port greets its device as its slot says (port 2 does, port 1 sends nothing), once, as
// soon as the port has opened.
void TestSerialReception::sendsGreetingBeforeFirstPoll()
{
    QFETCH(int, portNumber);
    const QByteArray expected = slotFacts(PlayerSlot(portNumber)).greeting.toByteArray();

    SerialReception reception;
    WaitDriver wait([&] { reception.abort(); });
    QByteArray sentBeforeTransmission;
    // Runs in the wait's first yield. Waiting here blocks the reception, so whatever
    // arrives was sent before its first poll.
    wait.after(0, [&] {
        sentBeforeTransmission
            = line(portNumber).waitForBytes(expected.size(), expected.isEmpty() ? 50 : 2000);
        QVERIFY(line(portNumber).deliver("1C500000000000XYZ"));
    });
    const SerialReception::Outcome outcome = reception.receive(PlayerSlot(portNumber));

    QCOMPARE(outcome.kind, Kind::Received);
    QCOMPARE(sentBeforeTransmission, expected);
    // Sent once: nothing more follows.
    QCOMPARE(line(portNumber).waitForBytes(1, 30), QByteArray());
}

void TestSerialReception::abortEndsWait()
{
    SerialReception reception;
    WaitDriver wait([&] { reception.abort(); });
    bool waitingBeforeAbort = false;
    bool openBeforeAbort = false;
    bool waitingAfterAbort = true;
    wait.after(0, [&] { QVERIFY(line(1).deliver(QByteArray(16, '7'))); });
    wait.after(30, [&] {
        waitingBeforeAbort = reception.isWaiting();
        openBeforeAbort = portOf(reception)->isOpen();
        reception.abort();
        waitingAfterAbort = reception.isWaiting();
    });
    const SerialReception::Outcome outcome = reception.receive(PlayerSlot::One);

    QVERIFY(waitingBeforeAbort);
    QVERIFY(openBeforeAbort);
    QVERIFY(!waitingAfterAbort);
    QCOMPARE(outcome.kind, Kind::Aborted);
    QCOMPARE(outcome.bytes, QByteArray());
    QCOMPARE(outcome.failure, PortFailure());
    QVERIFY(!portOf(reception)->isOpen());
    QVERIFY(!reception.isWaiting());

    // A second abort with nothing waiting changes nothing.
    reception.abort();
    QVERIFY(!portOf(reception)->isOpen());
}

void TestSerialReception::newReceptionEndsWaitingOne_data()
{
    QTest::addColumn<bool>("abortFirst");
    QTest::newRow("started in the waiting one's yield") << false;
    QTest::newRow("started in the yield of the abort that ended the waiting one") << true;
}

// A port-button click in the yield of a waiting reception (or of the abort that ended it)
// starts a new reception in there, and the ended one leaves the port to it.
void TestSerialReception::newReceptionEndsWaitingOne()
{
    QFETCH(bool, abortFirst);

    SerialReception reception;
    SerialLine *port = portOf(reception);
    WaitDriver wait([&] { reception.abort(); });
    const QByteArray transmission("2004100000000000Q");
    const QByteArray strayBytes("STRAY");
    std::optional<SerialReception::Outcome> nested;

    wait.after(0, [&] { QVERIFY(line(1).deliver(QByteArray(16, '7'))); });
    wait.after(30, [&] {
        if (abortFirst) {
            reception.abort();
        }
        wait.after(0, [&] { QVERIFY(line(2).deliver(transmission)); });
        nested = reception.receive(PlayerSlot::Two);
        QVERIFY(!port->isOpen());
        // Someone opens the port again before the ended reception gets control back, and
        // bytes wait in it: the ended reception must neither read nor close it.
        QVERIFY(port->open(line(1).slavePath()));
        QVERIFY(line(1).deliver(strayBytes));
        QTRY_COMPARE_WITH_TIMEOUT(port->bytesAvailable(), strayBytes.size(), 2000);
    });
    const SerialReception::Outcome outer = reception.receive(PlayerSlot::One);

    QVERIFY(nested);
    QCOMPARE(nested->kind, Kind::Received);
    QCOMPARE(nested->bytes, transmission);
    QCOMPARE(outer.kind, Kind::Aborted);
    QCOMPARE(outer.bytes, QByteArray());
    QVERIFY(port->isOpen());
    QCOMPARE(port->readAll(), strayBytes);
    QVERIFY(!reception.isWaiting());
    port->close();
}

void TestSerialReception::destroyedDuringWait()
{
    auto *reception = new SerialReception;
    WaitDriver wait;
    wait.after(0, [&] { QVERIFY(line(1).deliver("1C5")); });
    wait.after(20, [&] { delete reception; });

    const SerialReception::Outcome outcome = reception->receive(PlayerSlot::One);

    QCOMPARE(outcome.kind, Kind::Aborted);
    // The port went with the object: the line is free for another user.
    SerialLine probe;
    QVERIFY2(probe.open(line(1).slavePath()), qPrintable(probe.error().text));
}

void TestSerialReception::consoleOfItsOwnReceives()
{
    // Nothing but the line wakes a console in a process of its own, as at the table: no
    // timer of this test runs there. Port 2, greeting and all.
    ConsoleProcess console;
    QCOMPARE(console.start({QStringLiteral("receive"), QStringLiteral("2")}),
             QByteArray("started"));
    const QByteArray transmission("3011000000000000K");
    QVERIFY(line(2).write(transmission));
    QCOMPARE(console.nextLine(), "received " + transmission.toHex());
}

UnopenablePort::UnopenablePort(int portNumber, PseudoTerminal &line)
    : portNumber(portNumber)
    , line(line.slavePath())
    , holderPid(QCoreApplication::applicationPid())
{ }

QString UnopenablePort::scratchName(const QString &name) const
{
    return QDir::toNativeSeparators(scratch.filePath(name));
}

namespace {

// What a row's setup made, at `path`; when it could not, the case fails (portThatCannotBeOpened
// stops after the setup).
QString made(bool done, const QString &path)
{
    QTest::qVerify(done, "made", qPrintable(path), __FILE__, __LINE__);
    return path;
}

} // namespace

QString UnopenablePort::makeFile(const QString &name)
{
    return made(QFile(scratchName(name)).open(QIODevice::WriteOnly), scratchName(name));
}

QString UnopenablePort::makeFolder(const QString &name)
{
    return made(QDir().mkpath(scratchName(name)), scratchName(name));
}

QString UnopenablePort::makeLink(const QString &name, const QString &target)
{
    const QString link = scratchName(name);
    return made(QDir().mkpath(QFileInfo(link).path()) && QFile::link(target, link), link);
}

QString UnopenablePort::holdHere(const QString &name)
{
    QTest::qVerify(heldHere.open(name), "heldHere.open(name)", qPrintable(heldHere.error().text),
                   __FILE__, __LINE__);
    return name;
}

QString UnopenablePort::holdInConsole(const QString &name)
{
    qputenv(slotFacts(PlayerSlot(portNumber)).portVariable, name.toLocal8Bit());
    const QByteArray started
        = heldByConsole.start({QStringLiteral("receive"), QString::number(portNumber)});
    holderPid = heldByConsole.pid();
    QTest::qVerify(started == "started", "started", started.constData(), __FILE__, __LINE__);
    return name;
}

void TestSerialReception::addOpenFailureRow(int portNumber, const char *what,
                                            PortFailure::Kind kind, SystemError::Kind reason,
                                            const QString &holderProgram,
                                            const MakeUnopenable &make)
{
    QTest::addRow("port %d, %s", portNumber, what)
        << portNumber << make << kind << reason << holderProgram;
}

void TestSerialReception::portThatCannotBeOpened_data()
{
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<MakeUnopenable>("make");
    QTest::addColumn<PortFailure::Kind>("kind");
    QTest::addColumn<SystemError::Kind>("reason");
    QTest::addColumn<QString>("holderProgram");

    using Port = UnopenablePort;
    const SystemError::Kind any = SystemError::Other;
    const QString none; // holder
    const QString name = QStringLiteral("ttyUSB9");
    const QString here = holderNamed(QStringLiteral("tst_serialreception"));
    const QString console = holderNamed(QStringLiteral("kelmi-test-child"));
    for (int n : {1, 2}) {
        // COM99 on Windows, whose ports are no files.
        addOpenFailureRow(n, "no such device", PortFailure::Missing, any, none, [=](Port &port) {
            return port.line.startsWith(QLatin1String("COM")) ? QStringLiteral("COM99")
                                                              : port.scratchName(name);
        });
        addOpenFailureRow(n, "a file", PortFailure::NotSerialPort, SystemError::NotSerialPort, none,
                          [=](Port &port) { return port.makeFile(name); });
        addOpenFailureRow(n, "held in this process", PortFailure::Held, any, here,
                          [](Port &port) { return port.holdHere(port.line); });
        addOpenFailureRow(n, "held by another console", PortFailure::Held, any, console,
                          [](Port &port) { return port.holdInConsole(port.line); });
    }
    addOpenFailureRows();
}

void TestSerialReception::portThatCannotBeOpened()
{
    QFETCH(int, portNumber);
    QFETCH(MakeUnopenable, make);
    QFETCH(PortFailure::Kind, kind);
    QFETCH(SystemError::Kind, reason);
    QFETCH(QString, holderProgram);

    UnopenablePort port(portNumber, line(portNumber));
    QVERIFY(port.scratch.isValid());
    const QString device = make(port);
    if (QTest::currentTestFailed()) {
        return;
    }
    qputenv(slotFacts(PlayerSlot(portNumber)).portVariable, device.toLocal8Bit());
    if (kind == PortFailure::Held) {
        if (const QString why = whyHeldPortsOpen(device); !why.isEmpty()) {
            QSKIP(qPrintable(why));
        }
    }

    SerialReception reception;
    WaitDriver wait([&] { reception.abort(); });
    bool yielded = false;
    wait.after(0, [&] { yielded = true; });
    const SerialReception::Outcome outcome = reception.receive(PlayerSlot(portNumber));

    QCOMPARE(outcome.kind, Kind::Failed);
    PortFailure expected;
    expected.kind = kind;
    expected.slot = PlayerSlot(portNumber);
    expected.device = device;
    expected.configured = true;
    expected.error = outcome.failure.error; // the system's own report
    if (kind == PortFailure::Other || kind == PortFailure::NotSerialPort) {
        QCOMPARE(outcome.failure.error.kind, reason);
    }
    if (kind == PortFailure::Missing) {
        expected.presentPorts = presentSerialPorts();
    }
    if (!holderProgram.isEmpty()) {
        expected.holderProgram = holderProgram;
        expected.holderPid = port.holderPid;
    }
    QCOMPARE(outcome.failure, expected);
    QCOMPARE(outcome.bytes, QByteArray());
    QVERIFY2(!yielded, "a failed open ends the reception without waiting");
    QVERIFY(!reception.isWaiting());
    QVERIFY(!portOf(reception)->isOpen());
    QVERIFY2(releaseExclusiveHold(), "the other program's line is exclusive no more");
}

void TestSerialReception::hangUpDuringWait_data()
{
    addEachPortRows();
}

void TestSerialReception::hangUpDuringWait()
{
    QFETCH(int, portNumber);

    SerialReception reception;
    SerialLine *port = portOf(reception);
    QSignalSpy failures(port, &SerialLine::failed);
    WaitDriver wait([&] { reception.abort(); });
    wait.after(0, [&] { QVERIFY(line(portNumber).deliver("1C500")); });
    wait.after(20, [&] { line(portNumber).closeMaster(); });

    const SerialReception::Outcome outcome = reception.receive(PlayerSlot(portNumber));

    QCOMPARE(outcome.kind, Kind::Failed);
    QCOMPARE(outcome.failure.kind, PortFailure::LineLost);
    QCOMPARE(outcome.failure.slot, PlayerSlot(portNumber));
    QCOMPARE(outcome.failure.device, line(portNumber).slavePath());
    QCOMPARE(outcome.failure.error.kind, SystemError::LineLost);
    if (const std::optional<int> code = hangUpCode()) {
        QCOMPARE(outcome.failure.error.code, *code);
    }
    QCOMPARE(outcome.bytes, QByteArray());
    QVERIFY(!port->isOpen());
    QVERIFY(!reception.isWaiting());

    // The wait ended at the dead line's first failure, and the closed port reports no more.
    QCOMPARE(failures.size(), 1);
    QTest::qWait(30);
    QCOMPARE(failures.size(), 1);
}
