// A second console process for tests that need one to be killed or to run as another user:
//   kelmi-test-child save R1 R2      saves player1.dat over and over, records R1 and R2 in
//                                    turn (values joined by commas), until it is killed
//   kelmi-test-child receive N       runs one reception on port N and prints its outcome
//   kelmi-test-child hold FILE       (Windows) keeps FILE open without sharing it, as the
//                                    match program may, until it is killed
// Each says "started" on standard output once it is at work.
#include "PlayerFiles.h"
#include "SerialReception.h"

#include <QCoreApplication>
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
    say("started");
    for (bool turn = false;; turn = !turn) {
        writePlayerFile(PlayerSlot::One, turn ? second : first);
    }
}

int receiveOnce(int portNumber)
{
    SerialReception reception;
    // Runs inside the wait, once the port is open.
    QTimer::singleShot(0, [] { say("started"); });
    const SerialReception::Outcome outcome = reception.receive(PlayerSlot(portNumber));
    switch (outcome.kind) {
    case SerialReception::Outcome::Received:
        say("received " + outcome.bytes.toHex());
        return 0;
    case SerialReception::Outcome::Failed:
        say("failed " + outcome.message.toUtf8().toPercentEncoding());
        return 1;
    case SerialReception::Outcome::Aborted:
        break;
    }
    say("aborted");
    return 1;
}

#ifdef Q_OS_WIN
int holdForever(const QString &file)
{
    const HANDLE handle = ::CreateFileW(reinterpret_cast<const wchar_t *>(file.utf16()),
                                        GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        say("failed " + qt_error_string(int(::GetLastError())).toUtf8().toPercentEncoding());
        return 1;
    }
    say("started");
    for (;;) {
        ::Sleep(INFINITE);
    }
}
#endif

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QByteArray mode = argc > 1 ? argv[1] : "";
    if (mode == "save" && argc == 4) {
        return saveForever(record(argv[2]), record(argv[3]));
    }
    if (mode == "receive" && argc == 3) {
        return receiveOnce(QByteArray(argv[2]).toInt());
    }
#ifdef Q_OS_WIN
    if (mode == "hold" && argc == 3) {
        return holdForever(QString::fromLocal8Bit(argv[2]));
    }
#endif
    std::fputs("usage: kelmi-test-child save R1 R2 | receive N | hold FILE\n", stderr);
    return 2;
}
