#include "ConsoleProcess.h"
#include "PlayerLines.h"
#include "PortMessages.h"
#include "SerialLine.h"
#include "SerialPortNames.h"
#include "SerialReception.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <optional>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include "SerialLocks.h"

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using Kind = SerialReception::Outcome::Kind;

class TestSerialReception : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void portNames_data();
    void portNames();
    void greeting_data();
    void greeting();

    void receivesTransmission_data();
    void receivesTransmission();
    void discardsBytesFromBeforeTheOpen_data();
    void discardsBytesFromBeforeTheOpen();
    void leavesLaterBytesOnTheLine();
    void sendsGreetingBeforeFirstPoll_data();
    void sendsGreetingBeforeFirstPoll();
    void abortEndsWait();
    void abortedReceptionLeavesNestedOneAlone();
    void newReceptionEndsWaitingOne();
    void destroyedDuringWait();
    void consoleOfItsOwnReceives();
    void portThatCannotBeOpened_data();
    void portThatCannotBeOpened();
#ifdef Q_OS_UNIX
    // Linux's own ways to refuse a port: device permissions, exclusive devices, lock files.
    void portOpenedByAnotherUser_data();
    void portOpenedByAnotherUser();
    void killedConsoleLeavesPortUsable_data();
    void killedConsoleLeavesPortUsable();
#endif
    void hangUpDuringWait_data();
    void hangUpDuringWait();
    void operatorReasons_data();
    void operatorReasons();
#ifdef Q_OS_WIN
    void openFailureByCode_data();
    void openFailureByCode();
#endif

private:
    PseudoTerminal &line(int portNumber)
    {
        return m_lines->line(portNumber);
    }
    // Runs action after ms of event processing, unless context is gone by then, so that
    // a failed test leaves no timer behind for the next one.
    static void later(QObject *context, int ms, std::function<void()> action)
    {
        QTimer::singleShot(ms, context, std::move(action));
    }
    // Aborts a reception that is still waiting after a generous while, so that a wait
    // that never ends fails the test instead of hanging it.
    static void watchdog(QObject *context, SerialReception &reception)
    {
        later(context, 5000, [&reception] { reception.abort(); });
    }
    static SerialLine *portOf(SerialReception &reception)
    {
        return reception.findChild<SerialLine *>(QStringLiteral("MSComm1"));
    }

    std::optional<PlayerLines> m_lines;
};

void TestSerialReception::init()
{
    m_lines.emplace();
    QVERIFY2(m_lines->isOpen(), qPrintable(m_lines->errorString()));
#ifdef Q_OS_UNIX
    // A console killed in an earlier case may have left a lock for a device of the same name.
    for (int portNumber : {1, 2}) {
        for (const QString &lock : serialLockFiles(line(portNumber).slavePath())) {
            QVERIFY(QFile::remove(lock));
        }
    }
#endif
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

#ifdef Q_OS_WIN
    const QString first = QStringLiteral("COM1");
    const QString second = QStringLiteral("COM2");
#else
    const QString first = QStringLiteral("/dev/ttyS0");
    const QString second = QStringLiteral("/dev/ttyS1");
#endif
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
    QCOMPARE(serialPortName(portNumber), expected);
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
    QCOMPARE(deviceGreeting(portNumber), expected);
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
    QObject context;
    watchdog(&context, reception);
    QList<bool> waitingAtPiece;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        later(&context, int(i) * 15, [&, i] {
            waitingAtPiece.append(reception.isWaiting());
            QVERIFY(line(portNumber).deliver(pieces.at(i)));
        });
    }

    const SerialReception::Outcome outcome = reception.receive(portNumber);

    QCOMPARE(outcome.kind, Kind::Received);
    QCOMPARE(outcome.bytes, expected);
    QVERIFY(outcome.message.isEmpty());
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
    QObject context;
    watchdog(&context, reception);
    later(&context, 0, [&] { QVERIFY(line(1).deliver(fresh)); });
    const SerialReception::Outcome outcome = reception.receive(1);

    QCOMPARE(outcome.kind, Kind::Received);
    QCOMPARE(outcome.bytes, fresh);
}

void TestSerialReception::leavesLaterBytesOnTheLine()
{
    const QByteArray transmission("1C500000000000XYZ");
    const QByteArray afterwards("LATE");

    SerialReception reception;
    QObject context;
    watchdog(&context, reception);
    later(&context, 0, [&] { QVERIFY(line(1).deliver(transmission)); });
    later(&context, 30, [&] { QVERIFY(line(1).deliver(afterwards)); });
    const SerialReception::Outcome outcome = reception.receive(1);

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
    QObject context;
    watchdog(&context, reception);
    QByteArray sentBeforeTransmission;
    // Runs in the wait's first yield. Waiting here blocks the reception, so whatever
    // arrives was sent before its first poll.
    later(&context, 0, [&] {
        sentBeforeTransmission = line(portNumber).waitForBytes(3, expected.isEmpty() ? 50 : 2000);
        QVERIFY(line(portNumber).deliver("1C500000000000XYZ"));
    });
    const SerialReception::Outcome outcome = reception.receive(portNumber);

    QCOMPARE(outcome.kind, Kind::Received);
    QCOMPARE(sentBeforeTransmission, expected);
    // Sent once: nothing more follows.
    QCOMPARE(line(portNumber).waitForBytes(1, 30), QByteArray());
}

void TestSerialReception::abortEndsWait()
{
    SerialReception reception;
    QObject context;
    watchdog(&context, reception);
    bool waitingBeforeAbort = false;
    bool openBeforeAbort = false;
    bool waitingAfterAbort = true;
    later(&context, 0, [&] { QVERIFY(line(1).deliver(QByteArray(16, '7'))); });
    later(&context, 30, [&] {
        waitingBeforeAbort = reception.isWaiting();
        openBeforeAbort = portOf(reception)->isOpen();
        reception.abort();
        waitingAfterAbort = reception.isWaiting();
    });
    const SerialReception::Outcome outcome = reception.receive(1);

    QVERIFY(waitingBeforeAbort);
    QVERIFY(openBeforeAbort);
    QVERIFY(!waitingAfterAbort);
    QCOMPARE(outcome.kind, Kind::Aborted);
    QCOMPARE(outcome.bytes, QByteArray());
    QVERIFY(outcome.message.isEmpty());
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
    QObject context;
    watchdog(&context, reception);
    const QByteArray transmission("2004100000000000Q");
    const QByteArray strayBytes("STRAY");
    SerialReception::Outcome nested;
    bool nestedRan = false;

    later(&context, 0, [&] { QVERIFY(line(1).deliver(QByteArray(16, '7'))); });
    later(&context, 30, [&] {
        reception.abort();
        // A port-button click in the abort's yield starts a new reception in here.
        later(&context, 0, [&] { QVERIFY(line(2).deliver(transmission)); });
        nested = reception.receive(2);
        nestedRan = true;
        // Someone opens the port again before the aborted reception gets control back,
        // and bytes wait in it: the aborted reception must neither read nor close it.
        QVERIFY(port->open(line(1).slavePath()));
        QVERIFY(line(1).deliver(strayBytes));
        QTRY_COMPARE_WITH_TIMEOUT(port->bytesAvailable(), strayBytes.size(), 2000);
    });
    const SerialReception::Outcome outer = reception.receive(1);

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
    QObject context;
    watchdog(&context, reception);
    const QByteArray transmission("1C500000000000XYZ");
    SerialReception::Outcome nested;

    later(&context, 0, [&] {
        later(&context, 0, [&] { QVERIFY(line(2).deliver(transmission)); });
        nested = reception.receive(2);
    });
    const SerialReception::Outcome outer = reception.receive(1);

    QCOMPARE(nested.kind, Kind::Received);
    QCOMPARE(nested.bytes, transmission);
    QCOMPARE(outer.kind, Kind::Aborted);
    QVERIFY(!portOf(reception)->isOpen());
}

void TestSerialReception::destroyedDuringWait()
{
    auto *reception = new SerialReception;
    QObject context;
    later(&context, 0, [&] { QVERIFY(line(1).deliver("1C5")); });
    later(&context, 20, [&] { delete reception; });

    const SerialReception::Outcome outcome = reception->receive(1);

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
    // The status line's first line, with {device} and the {pid} of the process that holds
    // the device.
    QTest::addColumn<QString>("expectedFirstLine");
    QTest::addColumn<QString>("expectedHint"); // in the lines after the first; empty: none

    for (int port : {1, 2}) {
        const QString name = port == 1 ? QStringLiteral("ポート１") : QStringLiteral("ポート２");
        const QString again = QStringLiteral("もう一度「%1」を押してください。").arg(name);
#ifdef Q_OS_WIN
        QTest::addRow("port %d, no such device", port)
            << port << QStringLiteral("missing")
            << name + QStringLiteral("が見つかりません: {device}")
            << QStringLiteral("デバイス マネージャーのポート番号を確かめてください。");
#else
        QTest::addRow("port %d, no such device", port)
            << port << QStringLiteral("missing")
            << name + QStringLiteral("が見つかりません: {device}")
            << QStringLiteral("KELMI_PORT%1 の設定を確かめてください。").arg(port);
        QTest::addRow("port %d, a directory", port)
            << port << QStringLiteral("directory")
            << name + QStringLiteral("を開けません: {device}: フォルダーです") << QString();
#endif
        QTest::addRow("port %d, a file", port)
            << port << QStringLiteral("file")
            << name + QStringLiteral("を開けません: {device}: シリアルポートではありません")
            << QString();
#ifdef Q_OS_WIN
        // Windows refuses a second program without saying which program holds the port.
        const QString heldHere = QString();
        const QString heldByConsole = QString();
#else
        const QString heldHere = QStringLiteral("（tst_serialreception、PID {pid}）");
        const QString heldByConsole = QStringLiteral("（kelmi-test-child、PID {pid}）");
#endif
        QTest::addRow("port %d, held in this process", port)
            << port << QStringLiteral("held here")
            << name + QStringLiteral("は他のプログラムが使用中です: {device}") + heldHere << again;
        QTest::addRow("port %d, held by another console", port)
            << port << QStringLiteral("held by a console")
            << name + QStringLiteral("は他のプログラムが使用中です: {device}") + heldByConsole
            << again;
    }
#ifdef Q_OS_UNIX
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
#endif
}

void TestSerialReception::portThatCannotBeOpened()
{
    QFETCH(int, portNumber);
    QFETCH(QString, place);
    QFETCH(QString, expectedFirstLine);
    QFETCH(QString, expectedHint);

    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    SerialLine holderHere;
    ConsoleProcess holderConsole;
    QString path = line(portNumber).slavePath();
    qint64 holder = QCoreApplication::applicationPid();
    const QByteArray variable = portNumber == 2 ? "KELMI_PORT2" : "KELMI_PORT1";
    // As a rehearsal names its pseudo-terminal: socat's link, outside /dev.
    const QString link = temporary.filePath(QStringLiteral("kelmi-console"));
#ifdef Q_OS_UNIX
    int exclusiveHolder = -1;
#endif
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
#ifdef Q_OS_UNIX
        exclusiveHolder
            = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(exclusiveHolder >= 0);
        QCOMPARE(::ioctl(exclusiveHolder, TIOCEXCL), 0);
#endif
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
#ifdef Q_OS_WIN
    if (place.startsWith(QLatin1String("held")) && SerialLine().open(path)) {
        QSKIP("Wine lets a second program open a COM port that another holds; Windows refuses "
              "it with ERROR_ACCESS_DENIED, whose message openFailureByCode checks");
    }
#endif

    SerialReception reception;
    QObject context;
    watchdog(&context, reception);
    bool yielded = false;
    later(&context, 0, [&] { yielded = true; });
    const SerialReception::Outcome outcome = reception.receive(portNumber);

    QCOMPARE(outcome.kind, Kind::Failed);
    QCOMPARE(outcome.message.section(u'\n', 0, 0),
             expectedFirstLine.replace(QLatin1String("{device}"), path)
                 .replace(QLatin1String("{pid}"), QString::number(holder)));
    if (expectedHint.isEmpty()) {
        QVERIFY2(!outcome.message.contains(u'\n'), qPrintable(outcome.message));
    } else {
        QVERIFY2(outcome.message.section(u'\n', 1).contains(expectedHint),
                 qPrintable(outcome.message));
    }
    QCOMPARE(outcome.bytes, QByteArray());
    QVERIFY2(!yielded, "a failed open ends the reception without waiting");
    QVERIFY(!reception.isWaiting());
    QVERIFY(!portOf(reception)->isOpen());
#ifdef Q_OS_UNIX
    if (exclusiveHolder >= 0) {
        int exclusive = 0;
        QCOMPARE(::ioctl(exclusiveHolder, TIOCGEXCL, &exclusive), 0);
        ::ioctl(exclusiveHolder, TIOCNXCL);
        ::close(exclusiveHolder);
        QVERIFY2(exclusive, "the other program's line is exclusive no more");
    }
#endif
}

#ifdef Q_OS_UNIX
void TestSerialReception::portOpenedByAnotherUser_data()
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
#ifdef Q_OS_UNIX
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
#endif
}

void TestSerialReception::portOpenedByAnotherUser()
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
#ifdef Q_OS_UNIX
    int exclusiveHolder = -1;
#endif
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

void TestSerialReception::killedConsoleLeavesPortUsable_data()
{
    QTest::addColumn<int>("portNumber");
    QTest::newRow("port 1") << 1;
    QTest::newRow("port 2") << 2;
}

void TestSerialReception::killedConsoleLeavesPortUsable()
{
    QFETCH(int, portNumber);

    // The operator's account, not root: root would open a device left exclusive as well.
    if (!ConsoleProcess::canRunAsNobody()) {
        QSKIP("running a console as another user needs root");
    }
    // A console killed during its wait leaves its lock file behind and the device open
    // elsewhere (this test's line holds it, as socat does); the next console takes it over.
    const QString path = line(portNumber).slavePath();
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0666), 0);
    const QStringList receive {QStringLiteral("receive"), QString::number(portNumber)};
    {
        ConsoleProcess killed;
        QCOMPARE(killed.start(receive, ConsoleProcess::User::Nobody), QByteArray("started"));
        killed.kill();
    }
    ConsoleProcess next;
    QCOMPARE(next.start(receive, ConsoleProcess::User::Nobody), QByteArray("started"));
    const QByteArray transmission("2004100000000000Q");
    QVERIFY(line(portNumber).write(transmission));
    QCOMPARE(next.nextLine(), "received " + transmission.toHex());
}
#endif

void TestSerialReception::hangUpDuringWait_data()
{
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<QString>("expectedStart");
    QTest::newRow("port 1") << 1 << QStringLiteral("ポート１の受信が途切れました: ");
    QTest::newRow("port 2") << 2 << QStringLiteral("ポート２の受信が途切れました: ");
}

void TestSerialReception::hangUpDuringWait()
{
    QFETCH(int, portNumber);
    QFETCH(QString, expectedStart);

    SerialReception reception;
    SerialLine *port = portOf(reception);
    QSignalSpy failures(port, &SerialLine::failed);
    QObject context;
    watchdog(&context, reception);
    later(&context, 0, [&] { QVERIFY(line(portNumber).deliver("1C500")); });
    later(&context, 20, [&] { line(portNumber).closeMaster(); });

    const SerialReception::Outcome outcome = reception.receive(portNumber);

    QCOMPARE(outcome.kind, Kind::Failed);
    QCOMPARE(outcome.message, expectedStart + QStringLiteral("回線が切れました"));
    QCOMPARE(outcome.bytes, QByteArray());
    QVERIFY(!port->isOpen());
    QVERIFY(!reception.isWaiting());

    // The wait ended at the dead line's first failure, and the closed port reports no more.
    QCOMPARE(failures.size(), 1);
    QTest::qWait(30);
    QCOMPARE(failures.size(), 1);
}

void TestSerialReception::operatorReasons_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("reason"); // empty: the system's own words

#ifdef Q_OS_WIN
    QTest::newRow("no such port") << int(ERROR_FILE_NOT_FOUND) << QStringLiteral("見つかりません");
    QTest::newRow("held") << int(ERROR_ACCESS_DENIED) << QStringLiteral("アクセスが拒否されました");
    QTest::newRow("file in use") << int(ERROR_SHARING_VIOLATION) << QStringLiteral("使用中です");
    QTest::newRow("i/o error") << int(ERROR_GEN_FAILURE)
                               << QStringLiteral("入出力エラーが起きました");
    QTest::newRow("disk full") << int(ERROR_DISK_FULL)
                               << QStringLiteral("ディスクに空きがありません");
    QTest::newRow("write-protected")
        << int(ERROR_WRITE_PROTECT) << QStringLiteral("読み取り専用のディスクです");
    QTest::newRow("adapter pulled")
        << int(ERROR_DEVICE_REMOVED) << QStringLiteral("回線が切れました");
    QTest::newRow("no serial port")
        << int(ERROR_INVALID_FUNCTION) << QStringLiteral("シリアルポートではありません");
    QTest::newRow("link loop") << int(ERROR_CANT_RESOLVE_FILENAME)
                               << QStringLiteral("リンクが循環しています");
    QTest::newRow("no line settings")
        << int(ERROR_INVALID_PARAMETER) << QStringLiteral("設定を受け付けません");
    QTest::newRow("not a folder") << int(ERROR_DIRECTORY)
                                  << QStringLiteral("フォルダーではありません");
    QTest::newRow("name too long")
        << int(ERROR_FILENAME_EXCED_RANGE) << QStringLiteral("名前が長すぎます");
    QTest::newRow("unknown") << int(ERROR_OUTOFMEMORY) << QString();
#else
    QTest::newRow("no such device") << int(ENXIO) << QStringLiteral("デバイスがありません");
    QTest::newRow("busy") << int(EBUSY) << QStringLiteral("使用中です");
    QTest::newRow("i/o error") << int(EIO) << QStringLiteral("入出力エラーが起きました");
    QTest::newRow("over quota") << int(EDQUOT)
                                << QStringLiteral("ディスクの使用量の上限に達しました");
    QTest::newRow("hung up") << int(EPIPE) << QStringLiteral("回線が切れました");
    QTest::newRow("not a terminal")
        << int(ENOTTY) << QStringLiteral("シリアルポートではありません");
    QTest::newRow("link loop") << int(ELOOP) << QStringLiteral("リンクが循環しています");
    QTest::newRow("no line settings") << int(EINVAL) << QStringLiteral("設定を受け付けません");
    QTest::newRow("not a folder") << int(ENOTDIR) << QStringLiteral("フォルダーではありません");
    QTest::newRow("name too long") << int(ENAMETOOLONG) << QStringLiteral("名前が長すぎます");
    QTest::newRow("unknown") << int(ENOMEM) << QString();
#endif
}

void TestSerialReception::operatorReasons()
{
    QFETCH(int, code);
    QFETCH(QString, reason);

    const SystemError error = SystemError::fromCode(code);
    QCOMPARE(operatorReason(error), reason.isEmpty() ? qt_error_string(code) : reason);
    // Qt reports some failures in the system's words only; they are recognised all the same.
    QCOMPARE(operatorReason(SystemError::fromText(error.text)), operatorReason(error));
}

#ifdef Q_OS_WIN
void TestSerialReception::openFailureByCode_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message"); // %1: the port's name

    QTest::newRow("no such port")
        << int(ERROR_FILE_NOT_FOUND)
        << QStringLiteral("ポート１が見つかりません: %1\nケーブルやアダプターの接続と、"
                          "デバイス マネージャーのポート番号を確かめてください。");
    QTest::newRow("held by another program")
        << int(ERROR_ACCESS_DENIED)
        << QStringLiteral("ポート１は他のプログラムが使用中です: %1\n"
                          "そのプログラムを終了してから、もう一度「ポート１」を押してください。");
    QTest::newRow("no serial port")
        << int(ERROR_INVALID_FUNCTION)
        << QStringLiteral("ポート１を開けません: %1: シリアルポートではありません");
}

void TestSerialReception::openFailureByCode()
{
    QFETCH(int, code);
    QFETCH(QString, message);
    QCOMPARE(openFailureMessage(1, QStringLiteral("COM3"), SystemError::fromCode(code)),
             message.arg(QStringLiteral("COM3")));
}
#endif

QTEST_GUILESS_MAIN(TestSerialReception)
#include "tst_serialreception.moc"
