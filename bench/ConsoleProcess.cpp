#include "ConsoleProcess.h"

#include "DeviceTables.h"
#include "ProcessStatus.h"
#include "SampleTransmissions.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>

#include <chrono>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// How long a step of the child may take before the run counts as failed.
constexpr int stepTimeoutMs = 5000;
// Long enough for the first bytes to reach the console, short against a whole series.
constexpr useconds_t settleUs = 10000;

} // namespace

ConsoleProcess::ConsoleProcess(int receptions)
{
    if (!m_lines.isOpen()) {
        m_error = QStringLiteral("no pseudo-terminal: ") + m_lines.errorString();
        return;
    }
    m_child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_child.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--receiving-child"), QString::number(receptions)});
    if (!m_child.waitForStarted()) {
        m_error = QStringLiteral("the receiving child did not start: ") + m_child.errorString();
    }
}

ConsoleProcess::~ConsoleProcess()
{
    if (m_child.state() != QProcess::NotRunning) {
        m_child.kill();
        m_child.waitForFinished();
    }
}

bool ConsoleProcess::awaitWaiting()
{
    const QDeadlineTimer deadline(stepTimeoutMs);
    while (!m_child.canReadLine() && !deadline.hasExpired()
           && m_child.state() == QProcess::Running) {
        m_child.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
    return m_child.canReadLine() && m_child.readLine() == "waiting\n";
}

ConsoleDriver::Timing ConsoleProcess::receive(int slot, const SampleTransmission &sent)
{
    ConsoleDriver::Timing timing;
    if (!awaitWaiting()) {
        timing.error = QStringLiteral("the receiving child did not wait on port %1").arg(slot);
        return timing;
    }
    PseudoTerminal &line = m_lines.line(slot);
    if (slot == 2 && line.waitForBytes(3, stepTimeoutMs) != "AT\r") {
        timing.error = QStringLiteral("port 2 sent no greeting");
        return timing;
    }
    // All but the last byte of a transmission: the console keeps waiting.
    const qsizetype allButLast = DeviceTables::minimumTransmissionLength - 1;
    if (!line.write(sent.bytes.left(allButLast))) {
        timing.error = QStringLiteral("the first %1 bytes could not be written").arg(allButLast);
        return timing;
    }
    // The line hands them over within microseconds and the waiting console reads them at
    // once; after a pause they are its own, once none is left on the line.
    ::usleep(settleUs);
    const QDeadlineTimer deadline(stepTimeoutMs);
    while (line.pendingOnLine() > 0 && !deadline.hasExpired()) {
        ::usleep(100);
    }

    const QByteArray device = QFile::encodeName(line.slavePath());
    const qint64 pid = m_child.processId();
    if (!line.write(sent.bytes.mid(allButLast))) {
        timing.error = QStringLiteral("the last byte could not be written");
        return timing;
    }
    const Clock::time_point lastWrite = Clock::now();
    while (processHasOpen(pid, device)) {
        if (deadline.hasExpired()) {
            timing.error = QStringLiteral("the console kept port %1 open").arg(slot);
            return timing;
        }
    }
    timing.ms = std::chrono::duration<double, std::milli>(Clock::now() - lastWrite).count();
    return timing;
}

bool ConsoleProcess::finish()
{
    if (!m_child.waitForFinished(stepTimeoutMs) || m_child.exitStatus() != QProcess::NormalExit
        || m_child.exitCode() != 0) {
        m_error = QStringLiteral("the receiving child failed");
        return false;
    }
    return true;
}
