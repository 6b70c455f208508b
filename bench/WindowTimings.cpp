#include "WindowTimings.h"

#include "FixedList.h"
#include "PlayerSlot.h"
#include "SampleTransmissions.h"
#include "SerialLine.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <ctime>

namespace {

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

WindowTimings::Timing WindowTimings::receive(int slot, const SampleTransmission &sent)
{
    Timing timing;
    const WindowProbe &window = m_console.window();
    PseudoTerminal *line = &m_console.line(slot);
    SerialLine *serial = m_console.port();
    Clock::time_point lastWrite;
    bool written = false;

    // Steps that run inside the wait; they die with this object if the wait ends early.
    QObject steps;
    auto *afterSixteen = new QTimer(&steps);
    afterSixteen->setInterval(0);
    QObject::connect(afterSixteen, &QTimer::timeout, &steps, [&] {
        if (serial->bytesAvailable() < 16) {
            return;
        }
        afterSixteen->stop();
        if (!line->write(sent.bytes.mid(16))) {
            timing.error = QStringLiteral("the last byte could not be written");
        }
        lastWrite = Clock::now();
        written = true;
    });
    QTimer::singleShot(0, &steps, [&] {
        // Port 2 greets the device; take the greeting off the line.
        if (slot == 2 && line->waitForBytes(3, 1000) != "AT\r") {
            timing.error = QStringLiteral("port 2 sent no greeting");
        }
        if (!line->deliver(sent.bytes.left(16))) {
            timing.error = QStringLiteral("the first 16 bytes were not delivered");
        }
        afterSixteen->start();
    });
    // Aborts a reception that a step failed to complete, so that a fault shows as an error,
    // not a hang: a timer that dies with the steps, as a pending single shot in Qt 6.4 would not.
    auto *watchdog = new QTimer(&steps);
    watchdog->setSingleShot(true);
    QObject::connect(watchdog, &QTimer::timeout, &steps,
                     [&window] { QTest::mouseClick(window.button(3), Qt::LeftButton); });
    watchdog->start(watchdogMs);

    QTest::mouseClick(window.button(slot), Qt::LeftButton);
    const Clock::time_point done = Clock::now();
    if (timing.error.isEmpty() && !written) {
        timing.error = QStringLiteral("the reception ended before the last byte was written");
    }
    if (timing.error.isEmpty()) {
        timing.ms = msBetween(lastWrite, done);
        QList<int> rows;
        for (int n = 1; n <= 8; ++n) {
            rows += window.list(n)->listIndex();
        }
        timing.error = shownMismatch(slot, sent, rows, window.label(7)->text());
    }
    return timing;
}

WindowTimings::Timing WindowTimings::idleWait(int waitMs)
{
    Timing timing;
    const WindowProbe &window = m_console.window();
    QObject steps;
    QTimer::singleShot(waitMs, Qt::PreciseTimer, &steps,
                       [&window] { QTest::mouseClick(window.button(3), Qt::LeftButton); });
    const double cpuBefore = cpuSeconds();
    const Clock::time_point start = Clock::now();
    QTest::mouseClick(window.button(1), Qt::LeftButton);
    timing.ms = msBetween(start, Clock::now());
    timing.cpuPercent = 100.0 * (cpuSeconds() - cpuBefore) / (timing.ms / 1000.0);
    if (window.label(7)->text() != QStringLiteral("受信中断")) {
        timing.error
            = QStringLiteral("the idle reception ended with \"%1\"").arg(window.label(7)->text());
    }
    return timing;
}

WindowTimings::Timing WindowTimings::save(int slot)
{
    Timing timing;
    const WindowProbe &window = m_console.window();
    for (int n = 1; n <= 8; ++n) {
        window.list(n)->setListIndex(1);
    }
    QPushButton *saveButton = window.button(slot == 1 ? 4 : 5);
    QPushButton *deleteButton = window.button(slot == 1 ? 6 : 7);
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
