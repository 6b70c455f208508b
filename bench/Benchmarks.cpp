#include "Benchmarks.h"

#include "ConsoleProcess.h"
#include "OutsideReceptions.h"
#include "ProcessStatusUnix.h"
#include "ReceptionSeries.h"
#include "ScratchDirectory.h"
#include "WindowTimings.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

QString cpuModel()
{
    QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
    if (cpuinfo.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : cpuinfo.readAll().split('\n')) {
            if (line.startsWith("model name")) {
                return QString::fromLatin1(line.mid(line.indexOf(':') + 1).trimmed());
            }
        }
    }
    return QStringLiteral("unknown CPU");
}

// The run queue over the last 1, 5 and 15 minutes, as the figures are to be read against it.
QString loadAverage()
{
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    if (!loadavg.open(QIODevice::ReadOnly)) {
        return QStringLiteral("unknown");
    }
    return QString::fromLatin1(loadavg.readAll().split(' ').mid(0, 3).join(' '));
}

void describeMachine(bool quick, ResultTable *table)
{
    QTemporaryDir probe;
    const QStorageInfo storage(probe.path());
    table->addHeaderLine(
        QStringLiteral("kelmi-bench, %1").arg(QDateTime::currentDateTime().toString(Qt::ISODate)));
    table->addHeaderLine(
        QStringLiteral("Machine: %1, %2 cores, %3, kernel %4, load average %5")
            .arg(cpuModel())
            .arg(QThread::idealThreadCount())
            .arg(QSysInfo::prettyProductName(), QSysInfo::kernelVersion(), loadAverage()));
    table->addHeaderLine(
        QStringLiteral("Qt %1 (built against %2), %3 build, QT_QPA_PLATFORM=offscreen%4")
            .arg(QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR),
                 QStringLiteral(KELMI_BUILD_TYPE),
                 qEnvironmentVariableIsSet("DISPLAY")
                     ? QStringLiteral(" (X11 rows: xcb on DISPLAY %1)")
                           .arg(qEnvironmentVariable("DISPLAY"))
                     : QString()));
    table->addHeaderLine(
        QStringLiteral("Working directories under %1 (%2)")
            .arg(QFileInfo(probe.path()).path(), QString::fromLatin1(storage.fileSystemType())));
    table->addHeaderLine(quick ? QStringLiteral("QUICK RUN: too few runs to quote.")
                               : QStringLiteral("Each figure: median and worst of N runs."));
}

// Starts of a program that reports on KELMI_READY_FD once its window is shown and its event
// loop runs: the time from each start to that report, and its peak resident set once the
// first paints and layout have run.
struct Launches
{
    QList<double> ms;
    QList<double> peakMiB;
};

QString launch(const QString &program, const QStringList &arguments, Launches *launches)
{
    ConsoleProcess console(program);
    const Clock::time_point start = Clock::now();
    const QByteArray line = console.start(arguments);
    launches->ms += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (line != "ready") {
        return QStringLiteral("%1 did not report readiness: %2")
            .arg(program, QString::fromUtf8(line));
    }
    QThread::msleep(200);
    launches->peakMiB += double(processStatusKiB(console.pid(), "VmHWM")) / 1024;
    return QString();
}

// kelmi and the plain console of its window, started in turns on the platform that
// QT_QPA_PLATFORM names, each in an empty working directory, reporting readiness on their
// standard output.
struct StartUps
{
    Launches console;
    Launches floor;
    QString error;
};

StartUps startInTurns(int runs)
{
    const QString kelmi = QStringLiteral(KELMI_CONSOLE_PATH);
    const QString plain = QStringLiteral(KELMI_PLAIN_CONSOLE_PATH);
    // Taking turns, whatever else the machine does falls on both alike. Run 0 is not
    // counted, so that the figures are of a started machine: the programs, Qt and the fonts
    // in the page cache, the font cache built.
    StartUps startUps;
    Launches warmUp;
    for (int i = 0; i <= runs && startUps.error.isEmpty(); ++i) {
        startUps.error = launch(kelmi, {}, i ? &startUps.console : &warmUp);
        if (startUps.error.isEmpty()) {
            startUps.error = launch(plain, {}, i ? &startUps.floor : &warmUp);
        }
    }
    return startUps;
}

QString measureStartUp(int runs, ResultTable *table)
{
    const ScratchDirectory directory;
    qputenv("KELMI_READY_FD", "1");
    const StartUps offscreen = startInTurns(runs);
    table->addRow(QStringLiteral("start-up of kelmi to window shown (ms)"), offscreen.console.ms, 1,
                  150);
    table->addRow(QStringLiteral("start-up of a plain console of that window, the floor (ms)"),
                  offscreen.floor.ms, 1);
    table->addRow(QStringLiteral("peak RSS of kelmi after start-up (MiB)"),
                  offscreen.console.peakMiB, 1, {}, 40);
    table->addRow(QStringLiteral("peak RSS of the plain console (MiB)"), offscreen.floor.peakMiB,
                  1);
    QString error = offscreen.error;
    // The offscreen platform never asks for the window's icon; X11 takes it as the window is
    // made. scripts/bench provides a virtual X server without a window manager.
    if (error.isEmpty() && qEnvironmentVariableIsSet("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        const StartUps x11 = startInTurns(runs);
        qputenv("QT_QPA_PLATFORM", "offscreen");
        table->addRow(QStringLiteral("start-up of kelmi under X11 (ms)"), x11.console.ms, 1);
        table->addRow(QStringLiteral("start-up of the plain console under X11 (ms)"), x11.floor.ms,
                      1);
        error = x11.error;
    }
    qunsetenv("KELMI_READY_FD");
    return error;
}

// Latency, CPU while waiting and save on one window in this process.
QString measureInProcess(bool quick, int receptions, int saves, ResultTable *table)
{
    WindowTimings console;
    QString error = console.error();
    QList<double> latency;
    for (int i = 0; i < receptions && error.isEmpty(); ++i) {
        const SeriesReception next = seriesReception(i);
        const WindowTimings::Timing reception = console.receive(next.slot, next.sent);
        error = reception.error;
        latency += reception.ms;
    }
    QList<double> cpu;
    for (int i = 0; i < (quick ? 1 : 3) && error.isEmpty(); ++i) {
        const WindowTimings::Timing wait = console.idleWait(5000);
        error = wait.error;
        cpu += wait.cpuPercent;
    }
    QList<double> saveMs;
    for (int i = 0; i < 2 * saves && error.isEmpty(); ++i) {
        const WindowTimings::Timing save = console.save(1 + i % 2);
        error = save.error;
        saveMs += save.ms;
    }
    if (error.isEmpty()) {
        table->addRow(QStringLiteral("reception latency, last byte to rows set (ms)"), latency, 3,
                      1, 10);
        table->addRow(QStringLiteral("CPU while waiting 5 s, no bytes (% of a core)"), cpu, 3, {},
                      1);
        table->addRow(QStringLiteral("save click, file committed (ms)"), saveMs, 3);
    }
    return error;
}

QString measureFromOutside(int receptions, ResultTable *table)
{
    const OutsideReceptions outside
        = receiveFromOutside(QStringLiteral(KELMI_TEST_CHILD_PATH), receptions);
    if (outside.error.isEmpty()) {
        // As another program meets the console: the wait, the read, the close and the rows
        // set, with the wake-up of another process; no target of its own.
        table->addRow(QStringLiteral("last byte to rows shown, seen from another process (ms)"),
                      outside.lastByteToShownMs, 3);
        table->addRow(
            QStringLiteral("peak RSS of the window after %1 receptions (MiB)").arg(receptions),
            {double(outside.peakKiB) / 1024}, 1, {}, 40);
    }
    return outside.error;
}

} // namespace

QString runBenchmarks(bool quick, ResultTable *table)
{
    const auto runs = [quick](int full) {
        return quick ? std::max(3, full / 10) : full;
    };
    describeMachine(quick, table);
    QString error = measureStartUp(runs(21), table);
    if (error.isEmpty()) {
        error = measureInProcess(quick, runs(240), runs(50), table);
    }
    if (error.isEmpty()) {
        error = measureFromOutside(quick ? 50 : 1000, table);
    }
    return error;
}
