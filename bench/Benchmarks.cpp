#include "Benchmarks.h"

#include "ConsoleProcess.h"
#include "OutsideReceptions.h"
#include "ProcessStatus.h"
#include "SampleTransmissions.h"
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

// Receptions of the window in another process before its peak memory is read.
constexpr int receptionsFromOutside = 1000;

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

double mib(qint64 kib)
{
    return double(kib) / 1024.0;
}

// One start of a program that reports on KELMI_READY_FD once its window is shown and its
// event loop runs: the time from the start to that report, and the peak resident set
// once the first paints and layout have run.
struct Launch
{
    QString error;
    double ms = 0;
    double peakMiB = 0;
};

Launch launch(const QString &program, const QStringList &arguments)
{
    Launch result;
    ConsoleProcess console(program);
    const Clock::time_point start = Clock::now();
    const QByteArray line = console.start(arguments);
    result.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (line != "ready") {
        result.error = QStringLiteral("%1 did not report readiness: %2")
                           .arg(program, QString::fromUtf8(line));
        return result;
    }
    QThread::msleep(200);
    result.peakMiB = mib(processStatusKiB(console.pid(), "VmHWM"));
    return result;
}

} // namespace

Benchmarks::Benchmarks(bool quick)
    : m_quick(quick)
{ }

bool Benchmarks::fail(const QString &error)
{
    m_error = error;
    return false;
}

bool Benchmarks::run()
{
    describeMachine();
    return measureStartUp() && measureLatency() && measureFromOutside() && measureIdleCpu()
        && measureSave();
}

void Benchmarks::describeMachine()
{
    QTemporaryDir probe;
    const QStorageInfo storage(probe.path());
    m_table.addHeaderLine(
        QStringLiteral("kelmi-bench, %1").arg(QDateTime::currentDateTime().toString(Qt::ISODate)));
    m_table.addHeaderLine(QStringLiteral("Machine: %1, %2 cores, %3, kernel %4")
                              .arg(cpuModel())
                              .arg(QThread::idealThreadCount())
                              .arg(QSysInfo::prettyProductName(), QSysInfo::kernelVersion()));
    m_table.addHeaderLine(
        QStringLiteral("Qt %1 (built against %2), %3 build, QT_QPA_PLATFORM=offscreen")
            .arg(QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR),
                 QStringLiteral(KELMI_BUILD_TYPE)));
    m_table.addHeaderLine(
        QStringLiteral("Working directories under %1 (%2)")
            .arg(QFileInfo(probe.path()).path(), QString::fromLatin1(storage.fileSystemType())));
    m_table.addHeaderLine(m_quick ? QStringLiteral("QUICK RUN: too few runs to quote.")
                                  : QStringLiteral("Each figure: median and worst of N runs."));
}

bool Benchmarks::measureStartUp()
{
    // Both programs write their readiness report to their standard output, where the
    // launcher reads their lines; both start in an empty working directory.
    const ScratchDirectory directory;
    qputenv("KELMI_READY_FD", "1");
    const QString kelmi = QStringLiteral(KELMI_CONSOLE_PATH);
    const QString child = QStringLiteral(KELMI_TEST_CHILD_PATH);
    const QStringList bare = {QStringLiteral("bare-window")};
    QList<double> kelmiMs, kelmiMiB, bareMs, bareMiB;
    // One run of each first, unmeasured, so that the figures are of a started machine:
    // the programs, Qt and the fonts in the page cache, the font cache built. Then the two
    // take turns, so that whatever else the machine does falls on both alike.
    Launch warmUp = launch(kelmi, {});
    if (warmUp.error.isEmpty()) {
        warmUp = launch(child, bare);
    }
    for (int i = 0; i < runs(21) && warmUp.error.isEmpty(); ++i) {
        const Launch console = launch(kelmi, {});
        const Launch floor = launch(child, bare);
        warmUp.error = console.error.isEmpty() ? floor.error : console.error;
        kelmiMs += console.ms;
        kelmiMiB += console.peakMiB;
        bareMs += floor.ms;
        bareMiB += floor.peakMiB;
    }
    qunsetenv("KELMI_READY_FD");
    if (!warmUp.error.isEmpty()) {
        return fail(warmUp.error);
    }
    m_table.addRow(QStringLiteral("start-up of kelmi to window shown (ms)"), kelmiMs, 1, 150);
    m_table.addRow(QStringLiteral("start-up of a bare Qt window, the floor (ms)"), bareMs, 1);
    m_table.addRow(QStringLiteral("peak RSS of kelmi after start-up (MiB)"), kelmiMiB, 1, {}, 40);
    m_table.addRow(QStringLiteral("peak RSS of a bare Qt window (MiB)"), bareMiB, 1);
    return true;
}

bool Benchmarks::measureLatency()
{
    WindowTimings console;
    if (!console.error().isEmpty()) {
        return fail(console.error());
    }
    QList<double> latency;
    for (int i = 0; i < runs(240); ++i) {
        const SeriesReception next = seriesReception(i);
        const WindowTimings::Timing reception = console.receive(next.slot, next.sent);
        if (!reception.error.isEmpty()) {
            return fail(reception.error);
        }
        latency += reception.ms;
    }
    m_table.addRow(QStringLiteral("reception latency, last byte to rows set (ms)"), latency, 3, 1,
                   10);
    return true;
}

bool Benchmarks::measureFromOutside()
{
    const int count = m_quick ? 50 : receptionsFromOutside;
    const OutsideReceptions outside
        = receiveFromOutside(QStringLiteral(KELMI_TEST_CHILD_PATH), count);
    if (!outside.error.isEmpty()) {
        return fail(outside.error);
    }
    // The wait, the read and the close as the device end sees them; no target of its own,
    // it shows a slower wait or close that the figure inside the process would not.
    m_table.addRow(QStringLiteral("last byte to port closed, from another process (ms)"),
                   outside.lastByteToClosedMs, 3);
    m_table.addRow(QStringLiteral("peak RSS of the window after %1 receptions (MiB)").arg(count),
                   {mib(outside.peakKiB)}, 1, {}, 40);
    return true;
}

bool Benchmarks::measureIdleCpu()
{
    WindowTimings console;
    if (!console.error().isEmpty()) {
        return fail(console.error());
    }
    QList<double> share;
    for (int i = 0; i < (m_quick ? 1 : 3); ++i) {
        double percent = 0;
        const WindowTimings::Timing wait = console.idleWait(5000, &percent);
        if (!wait.error.isEmpty()) {
            return fail(wait.error);
        }
        share += percent;
    }
    m_table.addRow(QStringLiteral("CPU while waiting 5 s, no bytes (% of a core)"), share, 3, {},
                   1);
    return true;
}

bool Benchmarks::measureSave()
{
    WindowTimings console;
    if (!console.error().isEmpty()) {
        return fail(console.error());
    }
    QList<double> saves;
    for (int i = 0; i < runs(50); ++i) {
        for (int slot = 1; slot <= 2; ++slot) {
            const WindowTimings::Timing save = console.save(slot);
            if (!save.error.isEmpty()) {
                return fail(save.error);
            }
            saves += save.ms;
        }
    }
    m_table.addRow(QStringLiteral("save click, file committed (ms)"), saves, 3);
    return true;
}
