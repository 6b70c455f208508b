#include "OutsideReceptions.h"

#include "ConsoleProcess.h"
#include "DeviceTables.h"
#include "PlayerLines.h"
#include "ProcessStatusUnix.h"
#include "ReceptionSeries.h"

#include <QDeadlineTimer>

#include <chrono>
#include <unistd.h>

namespace {

// All of a transmission but its last byte: the console keeps waiting.
constexpr qsizetype allButLast = DeviceTables::minimumTransmissionLength - 1;

using Clock = std::chrono::steady_clock;

// How long a step of the child may take before the run counts as failed.
constexpr int stepTimeoutMs = 5000;
// Long enough for the first bytes to reach the console, short against a whole series.
constexpr useconds_t settleUs = 10000;

// The child's "shown ROWS TEXT" line against what was sent.
QString shownError(const QByteArray &line, int slot, const ExampleTransmission &sent)
{
    const QList<QByteArray> fields = line.split(' ');
    if (fields.size() != 3 || fields[0] != "shown") {
        return QStringLiteral("the child said \"%1\"").arg(QString::fromUtf8(line));
    }
    QList<int> rows;
    for (const QByteArray &row : fields[1].split(',')) {
        rows += row.toInt();
    }
    return shownMismatch(slot, sent, rows,
                         QString::fromUtf8(QByteArray::fromPercentEncoding(fields[2])));
}

// One reception of the waiting child: the first 16 bytes and, once the console has read
// them, the 17th, timed until the child reports what its window shows.
QString receiveOne(ConsoleProcess &child, PseudoTerminal &line, const SeriesReception &next,
                   double *ms)
{
    if (next.slot == 2 && line.waitForBytes(3, stepTimeoutMs) != "AT\r") {
        return QStringLiteral("port 2 sent no greeting");
    }
    if (!line.write(next.sent.bytes.left(allButLast))) {
        return QStringLiteral("the first %1 bytes could not be written").arg(allButLast);
    }
    // The line hands them over within microseconds and the waiting console reads them at
    // once; after a pause they are its own, once none is left on the line.
    ::usleep(settleUs);
    const QDeadlineTimer deadline(stepTimeoutMs);
    while (line.pendingOnLine() > 0 && !deadline.hasExpired()) {
        ::usleep(100);
    }
    if (!line.write(next.sent.bytes.mid(allButLast))) {
        return QStringLiteral("the last byte could not be written");
    }
    const Clock::time_point lastWrite = Clock::now();
    const QByteArray shown = child.nextLine(stepTimeoutMs);
    *ms = std::chrono::duration<double, std::milli>(Clock::now() - lastWrite).count();
    return shownError(shown, next.slot, next.sent);
}

} // namespace

OutsideReceptions receiveFromOutside(const QString &testChild, int count)
{
    OutsideReceptions result;
    PlayerLines lines; // first: the child takes the ports that it names
    if (!lines.isOpen()) {
        result.error = QStringLiteral("no pseudo-terminal: ") + lines.errorString();
        return result;
    }
    ConsoleProcess child(testChild);
    // An error unless the child's line is the one expected.
    const auto unexpected = [](const QByteArray &line, const char *expected) {
        return line == expected ? QString()
                                : QStringLiteral("the window child said \"%1\", not \"%2\"")
                                      .arg(QString::fromUtf8(line), QString::fromLatin1(expected));
    };
    result.error
        = unexpected(child.start({QStringLiteral("window"), QString::number(count)}), "started");
    for (int n = 0; n < count && result.error.isEmpty(); ++n) {
        const SeriesReception next = seriesReception(n);
        double ms = 0;
        result.error = unexpected(child.nextLine(), "waiting");
        if (result.error.isEmpty()) {
            result.error = receiveOne(child, lines.line(next.slot), next, &ms);
            result.lastByteToShownMs += ms;
        }
    }
    if (result.error.isEmpty()) {
        result.error = unexpected(child.nextLine(), "done");
    }
    result.peakKiB = processStatusKiB(child.pid(), "VmHWM");
    return result;
}
