#include "PseudoTerminal.h"

#include <QDeadlineTimer>
#include <QThread>

// What the platforms share, built on their own parts.

bool PseudoTerminal::deliver(const QByteArray &bytes)
{
    const qsizetype before = pendingOnLine();
    if (before < 0 || !write(bytes)) {
        return false;
    }
    // The bytes reach the console's end a moment after the write (the kernel or socat
    // carries them over).
    const QDeadlineTimer deadline(1000);
    while (pendingOnLine() < before + bytes.size() && !deadline.hasExpired()) {
        QThread::usleep(200);
    }
    return pendingOnLine() >= before + bytes.size();
}

QByteArray PseudoTerminal::readAvailable()
{
    return waitForBytes(0, 0);
}
