#include "ConsoleDriver.h"

#include "FixedList.h"
#include "Form1.h"
#include "PlayerLines.h"
#include "SampleTransmissions.h"
#include "ScratchDirectory.h"
#include "SerialLine.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

// A reception that a step failed to complete is aborted after this long, so a fault
// shows as an error, not a hang.
constexpr int watchdogMs = 5000;

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double cpuSeconds()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) {
        return double(t.tv_sec) + t.tv_usec / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

QString fileName(int slot)
{
    return playerFileName(PlayerSlot(slot));
}

} // namespace

ConsoleDriver::ConsoleDriver(Devices devices)
    : m_directory(std::make_unique<ScratchDirectory>())
{
    if (!m_directory->isValid()) {
        m_error = QStringLiteral("no scratch working directory");
        return;
    }
    if (devices == Devices::PlayedHere) {
        m_lines = std::make_unique<PlayerLines>();
    }
    if (m_lines && !m_lines->isOpen()) {
        m_error = QStringLiteral("no pseudo-terminal: ") + m_lines->errorString();
        return;
    }

    m_form = std::make_unique<Form1>();
    m_window.form = m_form.get();
    m_form->show();
    if (!QTest::qWaitForWindowExposed(m_form.get())) {
        m_error = QStringLiteral("the window was not shown");
    }
}

ConsoleDriver::~ConsoleDriver()
{
    m_form.reset();
}

SerialLine *ConsoleDriver::port() const
{
    return m_form->findChild<SerialLine *>(QStringLiteral("MSComm1"));
}

ConsoleDriver::Timing ConsoleDriver::receive(int slot, const SampleTransmission &sent)
{
    Timing timing;
    PseudoTerminal *line = &m_lines->line(slot);
    SerialLine *serial = port();
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
        if (slot == 2) {
            // Port 2 greets the device; take the greeting off the line.
            const QByteArray greeting = line->waitForBytes(3, 1000);
            if (greeting != "AT\r") {
                timing.error = QStringLiteral("port 2 greeted with \"%1\"")
                                   .arg(QString::fromLatin1(greeting.toPercentEncoding()));
            }
        }
        if (!line->deliver(sent.bytes.left(16))) {
            timing.error = QStringLiteral("the first 16 bytes were not delivered");
        }
        afterSixteen->start();
    });
    abortLater(&steps);

    QTest::mouseClick(m_window.button(slot), Qt::LeftButton);
    const Clock::time_point done = Clock::now();

    if (!timing.error.isEmpty()) {
        return timing;
    }
    if (!written) {
        timing.error = QStringLiteral("the reception ended before the last byte was written");
        return timing;
    }
    timing.ms = msBetween(lastWrite, done);
    timing.error = shownError(slot, sent);
    return timing;
}

QString ConsoleDriver::receiveFromParent(int slot, const SampleTransmission &sent,
                                         const std::function<void()> &waiting)
{
    QObject steps;
    QTimer::singleShot(0, &steps, waiting);
    abortLater(&steps);
    QTest::mouseClick(m_window.button(slot), Qt::LeftButton);
    return shownError(slot, sent);
}

void ConsoleDriver::abortLater(QObject *steps)
{
    // A timer object of the steps, not a single-shot timer: a pending single shot outlives
    // its context in Qt 6.4, and thousands of them would count as the console's memory.
    auto *watchdog = new QTimer(steps);
    watchdog->setSingleShot(true);
    QObject::connect(watchdog, &QTimer::timeout, steps,
                     [this] { QTest::mouseClick(m_window.button(3), Qt::LeftButton); });
    watchdog->start(watchdogMs);
}

QString ConsoleDriver::shownError(int slot, const SampleTransmission &sent) const
{
    const QList<int> lists = slot == 1 ? QList<int> {1, 2, 3} : QList<int> {6, 5, 4};
    const QList<int> shown
        = {m_window.list(lists[0])->listIndex(), m_window.list(lists[1])->listIndex(),
           m_window.list(lists[2])->listIndex()};
    const QList<int> expected = {sent.deviceKind, sent.character, sent.strength};
    if (shown == expected && m_window.label(7)->text() == QString::fromLatin1(sent.bytes)) {
        return QString();
    }
    return QStringLiteral("port %1 received %2 and showed \"%3\" with rows %4,%5,%6")
        .arg(slot)
        .arg(QString::fromLatin1(sent.bytes), m_window.label(7)->text())
        .arg(shown[0])
        .arg(shown[1])
        .arg(shown[2]);
}

ConsoleDriver::Timing ConsoleDriver::idleWait(int waitMs, double *cpuPercent)
{
    Timing timing;
    QObject steps;
    QTimer::singleShot(waitMs, Qt::PreciseTimer, &steps,
                       [this] { QTest::mouseClick(m_window.button(3), Qt::LeftButton); });
    const double cpuBefore = cpuSeconds();
    const Clock::time_point start = Clock::now();
    QTest::mouseClick(m_window.button(1), Qt::LeftButton);
    const Clock::time_point end = Clock::now();
    const double cpuUsed = cpuSeconds() - cpuBefore;

    timing.ms = msBetween(start, end);
    *cpuPercent = 100.0 * cpuUsed / (timing.ms / 1000.0);
    if (m_window.label(7)->text() != QStringLiteral("受信中断")) {
        timing.error
            = QStringLiteral("the idle reception ended with \"%1\"").arg(m_window.label(7)->text());
    }
    return timing;
}

ConsoleDriver::Timing ConsoleDriver::save(int slot)
{
    Timing timing;
    const QList<int> lists = slot == 1 ? QList<int> {1, 2, 3, 7, 8} : QList<int> {6, 5, 4};
    for (int n : lists) {
        m_window.list(n)->setListIndex(1);
    }
    QPushButton *saveButton = m_window.button(slot == 1 ? 4 : 5);
    QPushButton *deleteButton = m_window.button(slot == 1 ? 6 : 7);

    const Clock::time_point start = Clock::now();
    QTest::mouseClick(saveButton, Qt::LeftButton);
    timing.ms = msBetween(start, Clock::now());

    const QFileInfo file(fileName(slot));
    if (!file.isFile() || saveButton->isEnabled() || !deleteButton->isEnabled()) {
        timing.error = QStringLiteral("the save of slot %1 did not commit its file").arg(slot);
    }
    return timing;
}

ConsoleDriver::Timing ConsoleDriver::remove(int slot)
{
    Timing timing;
    QPushButton *saveButton = m_window.button(slot == 1 ? 4 : 5);
    QPushButton *deleteButton = m_window.button(slot == 1 ? 6 : 7);

    const Clock::time_point start = Clock::now();
    QTest::mouseClick(deleteButton, Qt::LeftButton);
    timing.ms = msBetween(start, Clock::now());

    if (QFileInfo::exists(fileName(slot)) || !saveButton->isEnabled()
        || deleteButton->isEnabled()) {
        timing.error = QStringLiteral("the delete of slot %1 left its file").arg(slot);
    }
    return timing;
}
