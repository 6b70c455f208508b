#include "Termination.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The signal handler's end of a socket pair; the event loop watches the other.
int signalled = -1;

void noteSignal(int)
{
    const char byte = 1;
    // Nothing else is safe in a signal handler; a full socket means a request is pending.
    [[maybe_unused]] const ssize_t written = ::write(signalled, &byte, 1);
}

} // namespace

void endOnTermination()
{
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, sockets) != 0) {
        return; // the signals keep their default action: the console ends as before
    }
    signalled = sockets[0];
    // A console without windows (the test child's saves) has a QCoreApplication alone.
    QCoreApplication *application = QCoreApplication::instance();
    auto *notifier = new QSocketNotifier(sockets[1], QSocketNotifier::Read, application);
    QObject::connect(notifier, &QSocketNotifier::activated, application, [application] {
        if (qobject_cast<QApplication *>(application)) {
            QApplication::closeAllWindows();
        }
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = noteSignal;
    // Calls that a signal interrupts go on, so a save is never cut short.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
        ::sigaction(signal, &action, nullptr);
    }
}
