#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// A serial line whose far end a test plays. The console opens slavePath() as its serial
// port; the test writes the device's bytes to the master and reads back what the console
// sent. closeMaster() hangs up the line, as a pulled cable or adapter does.
//
// The helper keeps the console's end open as well (and never reads it), so the line stays
// up while the console's port is closed: bytes written then wait on the line, and what the
// console sent stays readable after it closed its port.
//
// On Linux it is a pseudo-terminal pair of its own (PseudoTerminalUnix.cpp). Under Wine it
// is one of the COM port pairs that scripts/test-windows joins with socat, and the test
// plays the device through the Win32 calls of the console's own serial line
// (PseudoTerminalWindows.cpp).
class PseudoTerminal
{
public:
    PseudoTerminal();
    ~PseudoTerminal();
    Q_DISABLE_COPY(PseudoTerminal)

    bool isOpen() const;
    QString errorString() const; // why the pair could not be set up
    QString slavePath() const; // e.g. /dev/pts/3

    // Writes all of bytes to the line, as the device sends them. False if the line is down.
    bool write(const QByteArray &bytes);
    // Writes like write() and returns once the bytes have arrived at the console's end
    // (or after a second), so that they are all there for the console's next read. Only
    // for a console in the calling thread, which cannot read them away meanwhile.
    bool deliver(const QByteArray &bytes);
    // Bytes that have arrived at the console's end and that nobody has read yet
    // (still on the line, or the console's port is closed); -1 if the line is down.
    qsizetype pendingOnLine() const;
    // What the console has sent and the line has delivered so far, without waiting.
    QByteArray readAvailable();
    // Reads what the console sends until count bytes have come or timeoutMs has passed;
    // returns what came (possibly fewer, possibly more than count).
    QByteArray waitForBytes(qsizetype count, int timeoutMs);
    // Hangs up the line: the console's port sees the far end gone.
    void closeMaster();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
