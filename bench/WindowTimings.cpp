#include "WindowTimings.h"

#include "DeviceTables.h"
#include "PlayerFiles.h"
#include "ReceptionSeries.h"
#include "SerialLine.h"
#include "WaitDriver.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <chrono>
#include <ctime>

namespace {

// All of a transmission but its last byte: the console keeps waiting.
constexpr qsizetype allButLast = DeviceTables::minimumTransmissionLength - 1;

using Clock = std::chrono::steady_clock;

constexpr int watchdogMs = 5000;

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// User + system time of this process, all its threads.
double cpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

} // namespace

WindowTimings::WindowTimings()
{
    m_error = m_console.setUpError();
    if (m_error.isEmpty() && !m_console.showWindow()) {
        m_error = QStringLiteral("the window did not become active");
    }
}

WindowTimings::Timing WindowTimings::receive(int slot, const ExampleTransmission &sent)
{
    Timing timing;
    PseudoTerminal *line = &m_console.line(slot);
    SerialLine *serial = m_console.port();
    Clock::time_point lastWrite;
    bool written = false;

    // Aborts a reception that a step failed to complete, so that a fault shows as an error,
    // not a hang.
    WaitDriver wait([this] { m_console.abortWaiting(); }, watchdogMs);
    wait.after(0, [&] {
        // Port 2 greets the device; take the greeting off the line.
        if (slot == 2 && line->waitForBytes(3, 1000) != "AT\r") {
            timing.error = QStringLiteral("port 2 sent no greeting");
        }
        if (!line->deliver(sent.bytes.left(allButLast))) {
            timing.error = QStringLiteral("the first %1 bytes were not delivered").arg(allButLast);
        }
        // Once the console holds them, the last byte.
        wait.poll([&] {
            if (serial->bytesAvailable() < allButLast) {
                return false;
            }
            if (!line->write(sent.bytes.mid(allButLast))) {
                timing.error = QStringLiteral("the last byte could not be written");
            }
            lastWrite = Clock::now();
            written = true;
            return true;
        });
    });

    QTest::mouseClick(m_console.button(slot), Qt::LeftButton);
    const Clock::time_point done = Clock::now();
    if (timing.error.isEmpty() && !written) {
        timing.error = QStringLiteral("the reception ended before the last byte was written");
    }
    if (timing.error.isEmpty()) {
        timing.ms = msBetween(lastWrite, done);
        timing.error
            = shownMismatch(slot, sent, m_console.listIndexes(), m_console.label(7)->text());
    }
    return timing;
}

WindowTimings::Timing WindowTimings::idleWait(int waitMs)
{
    Timing timing;
    WaitDriver wait;
    wait.after(
        waitMs, [this] { QTest::mouseClick(m_console.button(3), Qt::LeftButton); },
        Qt::PreciseTimer);
    const double cpuBefore = cpuSeconds();
    const Clock::time_point start = Clock::now();
    QTest::mouseClick(m_console.button(1), Qt::LeftButton);
    timing.ms = msBetween(start, Clock::now());
    timing.cpuPercent = 100.0 * (cpuSeconds() - cpuBefore) / (timing.ms / 1000.0);
    if (m_console.label(7)->text() != QStringLiteral("受信中断")) {
        timing.error = QStringLiteral("the idle reception ended with \"%1\"")
                           .arg(m_console.label(7)->text());
    }
    return timing;
}

WindowTimings::Timing WindowTimings::save(int slot)
{
    Timing timing;
    m_console.selectInEveryList(1);
    QPushButton *saveButton = m_console.button(slot == 1 ? 4 : 5);
    QPushButton *deleteButton = m_console.button(slot == 1 ? 6 : 7);
    const QString file = playerFileName(slot == 1 ? PlayerSlot::One : PlayerSlot::Two);

    const Clock::time_point start = Clock::now();
    QTest::mouseClick(saveButton, Qt::LeftButton);
    timing.ms = msBetween(start, Clock::now());
    if (!QFileInfo(file).isFile() || saveButton->isEnabled() || !deleteButton->isEnabled()) {
        timing.error = QStringLiteral("the save of slot %1 did not commit its file").arg(slot);
        return timing;
    }
    QTest::mouseClick(deleteButton, Qt::LeftButton);
    if (QFileInfo::exists(file) || !saveButton->isEnabled()) {
        timing.error = QStringLiteral("the delete of slot %1 left its file").arg(slot);
    }
    return timing;
}
