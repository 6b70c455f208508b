#include "TestSerialReception.h"

#include "ConsoleProcess.h"
#include "PortFailureText.h"
#include "SerialLine.h"
#include "SerialPortList.h"
#include "WaitDriver.h"

#include <QDir>
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
    QTest::addColumn<QByteArray>("port1Variable"); // null: unset
    QTest::addColumn<QByteArray>("port2Variable");
    QTest::addColumn<QString>("expected");

    const QString first = machinePortName(1);
    const QString second = machinePortName(2);
    const QByteArray unset;
    QTest::newRow("port 1, no variable") << 1 << unset << unset << first;
    QTest::newRow("port 2, no variable") << 2 << unset << unset << second;
    QTest::newRow("port 1 from KELMI_PORT1")
        << 1 << QByteArray("/dev/ttyUSB0") << unset << QStringLiteral("/dev/ttyUSB0");
    QTest::newRow("port 2 from KELMI_PORT2")
        << 2 << unset << QByteArray("/dev/ttyUSB1") << QStringLiteral("/dev/ttyUSB1");
    QTest::newRow("port 1 ignores KELMI_PORT2")
        << 1 << unset << QByteArray("/dev/ttyUSB1") << first;
    QTest::newRow("port 2 ignores KELMI_PORT1")
        << 2 << QByteArray("/dev/ttyUSB0") << unset << second;
    QTest::newRow("port 1, empty variable") << 1 << QByteArray("") << unset << first;
    QTest::newRow("port 2, empty variable") << 2 << unset << QByteArray("") << second;
    QTest::newRow("both set") << 2 << QByteArray("/dev/pts/7") << QByteArray("/dev/pts/8")
                              << QStringLiteral("/dev/pts/8");
}

void TestSerialReception::portNames()
{
    QFETCH(int, portNumber);
    QFETCH(QByteArray, port1Variable);
    QFETCH(QByteArray, port2Variable);
    QFETCH(QString, expected);

    qunsetenv("KELMI_PORT1");
    qunsetenv("KELMI_PORT2");
    if (!port1Variable.isNull()) {
        qputenv("KELMI_PORT1", port1Variable);
    }
    if (!port2Variable.isNull()) {
        qputenv("KELMI_PORT2", port2Variable);
    }
    const PlayerPort port = playerPort(PlayerSlot(portNumber));
    QCOMPARE(port.device, expected);
    // Only a variable names any other device than the machine's own port.
    QCOMPARE(port.configured, expected != machinePortName(portNumber));
}

void TestSerialReception::greeting_data()
{
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("port 1 sends nothing") << 1 << QByteArray();
    QTest::newRow("port 2 sends AT CR") << 2 << QByteArray("\x41\x54\x0d", 3);
}

void TestSerialReception::greeting()
{
    QFETCH(int, portNumber);
    QFETCH(QByteArray, expected);
    QCOMPARE(slotFacts(PlayerSlot(portNumber)).greeting.toByteArray(), expected);
}

void TestSerialReception::receivesTransmission_data()
{
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<QByteArrayList>("pieces"); // sent 15 ms apart while the reception waits
    QTest::addColumn<QByteArray>("expected");

    const QByteArray seventeen("1C5000000000000AB");
    QTest::newRow("exactly 17 bytes") << 1 << QByteArrayList {seventeen} << seventeen;
    QTest::newRow("exactly 17 bytes, port 2") << 2 << QByteArrayList {seventeen} << seventeen;
    QTest::newRow("20 bytes waiting at the first poll that sees 17")
        << 1 << QByteArrayList {"3070000000200000XYZW"} << QByteArray("3070000000200000XYZW");
    QTest::newRow("pieces 5, 5, 7")
        << 1 << QByteArrayList {"1C500", "00000", "0000XYZ"} << QByteArray("1C500000000000XYZ");
    QTest::newRow("16 bytes, then 1")
        << 2 << QByteArrayList {"2004100000000000", "Q"} << QByteArray("2004100000000000Q");
    QTest::newRow("16 bytes, then a burst of 300")
        << 1 << QByteArrayList {QByteArray(16, 'a'), QByteArray(300, 'b')}
        << QByteArray(16, 'a') + QByteArray(300, 'b');
    QTest::newRow("every byte value")
        << 1 << QByteArrayList {QByteArray("\x00\x11\x13\r\n\x7f\x80\xa1\xdf\xff", 10), "0123456"}
        << QByteArray("\x00\x11\x13\r\n\x7f\x80\xa1\xdf\xff"
                      "0123456",
                      17);
}

void TestSerialReception::receivesTransmission()
{
    QFETCH(int, portNumber);
    QFETCH(QByteArrayList, pieces);
    QFETCH(QByteArray, expected);

    SerialReception reception;
    WaitDriver wait([&] { reception.abort(); });
    QList<bool> waitingAtPiece;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        wait.after(int(i) * 15, [&, i] {
            waitingAtPiece.append(reception.isWaiting());
            QVERIFY(line(portNumber).deliver(pieces.at(i)));
        });
    }

    const SerialReception::Outcome outcome = reception.receive(PlayerSlot(portNumber));

    QCOMPARE(outcome.kind, Kind::Received);
    QCOMPARE(outcome.bytes, expected);
    QCOMPARE(outcome.failure, PortFailure());
    QCOMPARE(waitingAtPiece, QList<bool>(pieces.size(), true));
    QVERIFY(!reception.isWaiting());
    QVERIFY(!portOf(reception)->isOpen());
}

void TestSerialReception::discardsBytesFromBeforeTheOpen_data()
{
    QTest::addColumn<QByteArray>("stale");
    QTest::newRow("a few bytes") << QByteArray("OLD");
    QTest::newRow("a whole transmission") << QByteArray("4000000000000000000OLD");
}

void TestSerialReception::discardsBytesFromBeforeTheOpen()
{
    QFETCH(QByteArray, stale);
    const QByteArray fresh("1C500000000000XYZ");

    QVERIFY(line(1).deliver(stale));
    QCOMPARE(line(1).pendingOnLine(), stale.size());

    SerialReception reception;
    WaitDriver wait([&] { reception.abort(); });
    wait.after(0, [&] { QVERIFY(line(1).deliver(fresh)); });
    const SerialReception::Outcome outcome = reception.receive(PlayerSlot::One);

    QCOMPARE(outcome.kind, Kind::Received);
    QCOMPARE(outcome.bytes, fresh);
}

void TestSerialReception::leavesLaterBytesOnTheLine()
{
    const QByteArray transmission("1C500000000000XYZ");
    const QByteArray afterwards("LATE");

    SerialReception reception;
    WaitDriver wait([&] { reception.abort(); });
    wait.after(0, [&] { QVERIFY(line(1).deliver(transmission)); });
    wait.after(30, [&] { QVERIFY(line(1).deliver(afterwards)); });
    const SerialReception::Outcome outcome = reception.receive(PlayerSlot::One);

    QCOMPARE(outcome.kind, Kind::Received);
    QCOMPARE(outcome.bytes, transmission);
    QVERIFY(!portOf(reception)->isOpen());
    // The late bytes arrive with the port closed: nobody reads them.
    QTRY_COMPARE_WITH_TIMEOUT(line(1).pendingOnLine(), afterwards.size(), 2000);
    QCOMPARE(portOf(reception)->bytesAvailable(), 0);
}

void TestSerialReception::sendsGreetingBeforeFirstPoll_data()
{
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("port 1 sends nothing") << 1 << QByteArray();
    QTest::newRow("port 2 sends AT CR") << 2 << QByteArray("AT\r");
}

void TestSerialReception::sendsGreetingBeforeFirstPoll()
{
    QFETCH(int, portNumber);
    QFETCH(QByteArray, expected);

    SerialReception reception;
    WaitDriver wait([&] { reception.abort(); });
    QByteArray sentBeforeTransmission;
    // Runs in the wait's first yield. Waiting here blocks the reception, so whatever
    // arrives was sent before its first poll.
    wait.after(0, [&] {
        sentBeforeTransmission = line(portNumber).waitForBytes(3, expected.isEmpty() ? 50 : 2000);
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

void TestSerialReception::abortedReceptionLeavesNestedOneAlone()
{
    SerialReception reception;
    SerialLine *port = portOf(reception);
    WaitDriver wait([&] { reception.abort(); });
    const QByteArray transmission("2004100000000000Q");
    const QByteArray strayBytes("STRAY");
    SerialReception::Outcome nested;
    bool nestedRan = false;

    wait.after(0, [&] { QVERIFY(line(1).deliver(QByteArray(16, '7'))); });
    wait.after(30, [&] {
        reception.abort();
        // A port-button click in the abort's yield starts a new reception in here.
        wait.after(0, [&] { QVERIFY(line(2).deliver(transmission)); });
        nested = reception.receive(PlayerSlot::Two);
        nestedRan = true;
        // Someone opens the port again before the aborted reception gets control back,
        // and bytes wait in it: the aborted reception must neither read nor close it.
        QVERIFY(port->open(line(1).slavePath()));
        QVERIFY(line(1).deliver(strayBytes));
        QTRY_COMPARE_WITH_TIMEOUT(port->bytesAvailable(), strayBytes.size(), 2000);
    });
    const SerialReception::Outcome outer = reception.receive(PlayerSlot::One);

    QVERIFY(nestedRan);
    QCOMPARE(nested.kind, Kind::Received);
    QCOMPARE(nested.bytes, transmission);
    QCOMPARE(line(2).waitForBytes(3, 2000), QByteArray("AT\r"));

    QCOMPARE(outer.kind, Kind::Aborted);
    QCOMPARE(outer.bytes, QByteArray());
    QVERIFY(port->isOpen());
    QCOMPARE(port->readAll(), strayBytes);
    QVERIFY(!reception.isWaiting());
    port->close();
}

void TestSerialReception::newReceptionEndsWaitingOne()
{
    SerialReception reception;
    WaitDriver wait([&] { reception.abort(); });
    const QByteArray transmission("1C500000000000XYZ");
    SerialReception::Outcome nested;

    wait.after(0, [&] {
        wait.after(0, [&] { QVERIFY(line(2).deliver(transmission)); });
        nested = reception.receive(PlayerSlot::Two);
    });
    const SerialReception::Outcome outer = reception.receive(PlayerSlot::One);

    QCOMPARE(nested.kind, Kind::Received);
    QCOMPARE(nested.bytes, transmission);
    QCOMPARE(outer.kind, Kind::Aborted);
    QVERIFY(!portOf(reception)->isOpen());
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

void TestSerialReception::portThatCannotBeOpened_data()
{
    QTest::addColumn<int>("portNumber");
    // "missing" (COM99 on Windows), "directory", "file" or "under a file" (a name below a
    // file) in a fresh temporary directory; "held here": the player's line, open in another
    // port object of this process, "held here, through a link" named by a link outside /dev
    // for both, "held here by name, asked through a link" held by its own name and asked for
    // by the link; "held by a console": open in a second console process ("... on a link":
    // the console holds it by the link, "..., asked through a link": the test asks by it);
    // "held exclusive": open elsewhere with TIOCEXCL and no lock file; "loop": two links
    // that name each other
    QTest::addColumn<QString>("place");
    QTest::addColumn<PortFailure::Kind>("kind");
    // Other and NotSerialPort: the system's reason; Held: the program that the platform names
    // as the holder (empty where it names none), which is the process that holds the device.
    QTest::addColumn<SystemError::Kind>("reason");
    QTest::addColumn<QString>("holderProgram");

    const SystemError::Kind any = SystemError::Other;
    for (int port : {1, 2}) {
        QTest::addRow("port %d, no such device", port)
            << port << QStringLiteral("missing") << PortFailure::Missing << any << QString();
        QTest::addRow("port %d, a file", port)
            << port << QStringLiteral("file") << PortFailure::NotSerialPort
            << SystemError::NotSerialPort << QString();
        QTest::addRow("port %d, held in this process", port)
            << port << QStringLiteral("held here") << PortFailure::Held << any
            << holderNamed(QStringLiteral("tst_serialreception"));
        QTest::addRow("port %d, held by another console", port)
            << port << QStringLiteral("held by a console") << PortFailure::Held << any
            << holderNamed(QStringLiteral("kelmi-test-child"));
    }
    addOpenFailureRows();
}

void TestSerialReception::portThatCannotBeOpened()
{
    QFETCH(int, portNumber);
    QFETCH(QString, place);
    QFETCH(PortFailure::Kind, kind);
    QFETCH(SystemError::Kind, reason);
    QFETCH(QString, holderProgram);

    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    SerialLine holderHere;
    ConsoleProcess holderConsole;
    QString path = line(portNumber).slavePath();
    qint64 holder = QCoreApplication::applicationPid();
    const QByteArray variable = portNumber == 2 ? "KELMI_PORT2" : "KELMI_PORT1";
    // As a rehearsal names its pseudo-terminal: socat's link, outside /dev.
    const QString link = temporary.filePath(QStringLiteral("kelmi-console"));
    if (place.contains(QLatin1String("link"))) {
        QVERIFY(QFile::link(path, link));
    }
    if (place == QLatin1String("held here by name, asked through a link")) {
        QVERIFY2(holderHere.open(path), qPrintable(holderHere.error().text));
        path = link;
    } else if (place.startsWith(QLatin1String("held by a console"))
               && place.contains(QLatin1String("link"))) {
        const bool holderOnLink = place.endsWith(QLatin1String("on a link"));
        qputenv(variable.constData(), QFile::encodeName(holderOnLink ? link : path));
        const QByteArray started
            = holderConsole.start({QStringLiteral("receive"), QString::number(portNumber)});
        QCOMPARE(started, QByteArray("started"));
        holder = holderConsole.pid();
        if (!holderOnLink) {
            path = link;
        }
    } else if (place == QLatin1String("loop")) {
        path = temporary.filePath(QStringLiteral("ttyLOOP"));
        QVERIFY(QFile::link(path, link));
        QVERIFY(QFile::link(link, path));
    } else if (place == QLatin1String("held exclusive")) {
        QVERIFY(holdExclusively(path));
    } else if (place.startsWith(QLatin1String("held here"))) {
        if (place.endsWith(QLatin1String("link"))) {
            path = link;
        }
        QVERIFY2(holderHere.open(path), qPrintable(holderHere.error().text));
    } else if (place == QLatin1String("held by a console")) {
        const QByteArray started
            = holderConsole.start({QStringLiteral("receive"), QString::number(portNumber)});
        QCOMPARE(started, QByteArray("started"));
        holder = holderConsole.pid();
    } else if (place == QLatin1String("missing") && path.startsWith(QLatin1String("COM"))) {
        path = QStringLiteral("COM99");
    } else {
        path = QDir::toNativeSeparators(temporary.filePath(QStringLiteral("ttyUSB9")));
        if (place == QLatin1String("directory")) {
            QVERIFY(QDir().mkdir(path));
        } else if (place != QLatin1String("missing")) {
            QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        }
        if (place == QLatin1String("under a file")) {
            path += QStringLiteral("/ttyUSB0");
        }
    }
    qputenv(variable.constData(), path.toLocal8Bit());
    if (place.startsWith(QLatin1String("held"))) {
        if (const QString why = whyHeldPortsOpen(path); !why.isEmpty()) {
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
    expected.device = path;
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
        expected.holderPid = holder;
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
    QTest::addColumn<int>("portNumber");
    QTest::newRow("port 1") << 1;
    QTest::newRow("port 2") << 2;
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
