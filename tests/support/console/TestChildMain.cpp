// kelmi-test-child: a second console process, for tests that need one to be killed or to
// run as another user, and for the benchmark's figures of a console seen from outside.
//   kelmi-test-child save R1 R2      saves player1.dat over and over, records R1 and R2 in
//                                    turn (values joined by commas), one save per turn of its
//                                    event loop, until it is killed or, as the console, asked
//                                    to end (SIGTERM, SIGHUP, SIGINT)
//   kelmi-test-child wait N          the console's window, started as kelmi starts it, waiting
//                                    on port N (clicked from its event loop): says "waiting"
//                                    once it waits; ends as kelmi ends
//   kelmi-test-child receive N       runs one reception on port N and prints its outcome
//                                    (a failure as PortFailureText.h writes it)
//   kelmi-test-child hold FILE [MS]  (Windows) keeps FILE open without sharing it, as the
//                                    match program may, for MS milliseconds or until killed
//   kelmi-test-child window COUNT    the console's window on the ports that KELMI_PORT1 and
//                                    KELMI_PORT2 name, clicked through COUNT receptions on
//                                    port 1, 2, 1, ...: says "waiting" once each waits and
//                                    "shown ROWS TEXT" when it ends (the eight lists' rows
//                                    joined by commas, the status line percent-encoded),
//                                    "done" after the last; stays until it is killed
// Each but wait says "started" on standard output once it is at work.
#include "ConsoleWindow.h"
#include "Form1.h"
#include "PlayerFiles.h"
#include "PortFailureText.h"
#include "SerialReception.h"
#include "Termination.h"
#include "WaitDriver.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

void say(const QByteArray &line)
{
    std::fputs((line + '\n').constData(), stdout);
    std::fflush(stdout);
}

PlayerRecord record(const char *values)
{
    PlayerRecord record;
    for (const QByteArray &value : QByteArray(values).split(',')) {
        record += value.toInt();
    }
    return record;
}

int saveForever(const PlayerRecord &first, const PlayerRecord &second)
{
    endOnTermination();
    bool turn = false;
    QTimer saves;
    QObject::connect(&saves, &QTimer::timeout, [&] {
        writePlayerFile(PlayerSlot::One, turn ? second : first);
        turn = !turn;
    });
    saves.start(0);
    say("started");
    return QCoreApplication::exec();
}

int waitAsTheConsole(int portNumber)
{
    endOnTermination();
    Form1 form;
    form.show();
    // The click comes from the event loop, as the operator's does in kelmi.
    WaitDriver click;
    WaitDriver wait;
    click.after(0, [&] {
        // Runs inside the wait, once the port is open.
        wait.after(0, [] { say("waiting"); });
        QTest::mouseClick(
            form.findChild<QPushButton *>(QStringLiteral("Command%1").arg(portNumber)),
            Qt::LeftButton);
    });
    return QApplication::exec();
}

int receiveOnce(int portNumber)
{
    SerialReception reception;
    // Runs inside the wait, once the port is open.
    WaitDriver wait;
    wait.after(0, [] { say("started"); });
    const SerialReception::Outcome outcome = reception.receive(PlayerSlot(portNumber));
    switch (outcome.kind) {
    case SerialReception::Outcome::Received:
        say("received " + outcome.bytes.toHex());
        return 0;
    case SerialReception::Outcome::Failed:
        say("failed " + portFailureLine(outcome.failure));
        return 1;
    case SerialReception::Outcome::Aborted:
        break;
    }
    say("aborted");
    return 1;
}

int driveWindow(int receptions)
{
    ConsoleWindow console(ConsoleWindow::Ports::AsNamed);
    if (const QString error = console.setUpError(); !error.isEmpty()) {
        say("failed " + error.toUtf8().toPercentEncoding());
        return 1;
    }
    if (!console.showWindow()) {
        say("failed " + QByteArray("window not active").toPercentEncoding());
        return 1;
    }
    say("started");
    for (int n = 0; n < receptions; ++n) {
        // Runs inside the wait, once the port is open.
        WaitDriver wait;
        wait.after(0, [] { say("waiting"); });
        QTest::mouseClick(console.button(1 + n % 2), Qt::LeftButton);
        QByteArrayList rows;
        for (const int row : console.listIndexes()) {
            rows += QByteArray::number(row);
        }
        say("shown " + rows.join(',') + ' '
            + console.label(7)->text().toUtf8().toPercentEncoding());
    }
    say("done");
    return QApplication::exec();
}

#ifdef Q_OS_WIN
// Lets go after `ms` milliseconds, or never when `ms` is negative.
int hold(const QString &file, int ms)
{
    const HANDLE handle = ::CreateFileW(reinterpret_cast<const wchar_t *>(file.utf16()),
                                        GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        say("failed " + qt_error_string(int(::GetLastError())).toUtf8().toPercentEncoding());
        return 1;
    }
    say("started");
    ::Sleep(ms < 0 ? INFINITE : DWORD(ms));
    ::CloseHandle(handle);
    return 0;
}
#endif

} // namespace

int main(int argc, char *argv[])
{
    const QByteArray mode = argc > 1 ? argv[1] : "";
    if (mode == "window" && argc == 3) {
        QApplication app(argc, argv);
        return driveWindow(QByteArray(argv[2]).toInt());
    }
    if (mode == "wait" && argc == 3) {
        QApplication app(argc, argv);
        return waitAsTheConsole(QByteArray(argv[2]).toInt());
    }
    // The other modes show nothing and need no windowing system.
    QCoreApplication app(argc, argv);
    if (mode == "save" && argc == 4) {
        return saveForever(record(argv[2]), record(argv[3]));
    }
    if (mode == "receive" && argc == 3) {
        return receiveOnce(QByteArray(argv[2]).toInt());
    }
#ifdef Q_OS_WIN
    if (mode == "hold" && argc == 3) {
        return hold(QString::fromLocal8Bit(argv[2]), -1);
    }
    if (mode == "hold" && argc == 4) {
        return hold(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    }
#endif
    std::fputs("usage: kelmi-test-child save R1 R2 | receive N | hold FILE [MS] | window COUNT"
               " | wait N\n",
               stderr);
    return 2;
}
