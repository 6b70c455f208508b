#include "Benchmarks.h"

#include "ConsoleDriver.h"
#include "ConsoleLaunch.h"
#include "ConsoleProcess.h"
#include "DecodingThroughput.h"
#include "SampleTransmissions.h"
#include "Samples.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStorageInfo>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>

#include <chrono>

namespace {

// Receptions after which the console child reports its memory.
constexpr int receptionsShort = 100;
constexpr int receptionsLong = 1000;
// "Not growing": the peak may rise by this much from 100 to 1000 receptions, about
// half a KiB per reception, far below what keeping each transmission would cost.
constexpr double growthLimitKiB = 512;

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

ResultTable::Row row(const QString &figure, const Samples &samples, bool higherIsWorse,
                     int decimals)
{
    ResultTable::Row row;
    row.figure = figure;
    row.runs = samples.count();
    row.median = samples.median();
    row.worst = higherIsWorse ? samples.highest() : samples.lowest();
    row.decimals = decimals;
    return row;
}

// Times `count` receptions of the series on a console (a ConsoleDriver or a ConsoleProcess);
// returns the error of the first that failed, if any.
template<class Console> QString timeSeries(Console &console, int count, Samples *times)
{
    for (int i = 0; i < count; ++i) {
        const SeriesReception next = seriesReception(i);
        const ConsoleDriver::Timing reception = console.receive(next.slot, next.sent);
        if (!reception.error.isEmpty()) {
            return reception.error;
        }
        times->add(reception.ms);
    }
    return QString();
}

double mib(double kib)
{
    return kib / 1024.0;
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
    return measureStartUp() && measureMemory() && measureLatency() && measureOutsideLatency()
        && measureIdleCpu() && measureSaveAndDelete() && measureDecoding();
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
    QTemporaryDir directory;
    const QString program = QStringLiteral(KELMI_CONSOLE_PATH);
    // One run first, unmeasured, so that the figures are of a started machine: the
    // program, Qt and the fonts in the page cache, the font cache built.
    const ConsoleLaunch::Result warmUp = ConsoleLaunch::runOnce(program, directory.path());
    if (!warmUp.error.isEmpty()) {
        return fail(warmUp.error);
    }
    Samples startUp;
    Samples peak;
    for (int i = 0; i < runs(20); ++i) {
        const ConsoleLaunch::Result launch = ConsoleLaunch::runOnce(program, directory.path());
        if (!launch.error.isEmpty()) {
            return fail(launch.error);
        }
        startUp.add(launch.startUpMs);
        peak.add(mib(double(launch.peakResidentKiB)));
    }

    ResultTable::Row time
        = row(QStringLiteral("start-up of kelmi to window shown (ms)"), startUp, true, 1);
    time.target = QStringLiteral("median <= 150");
    time.met = time.median <= 150;
    m_table.addRow(time);
    ResultTable::Row memory
        = row(QStringLiteral("peak RSS of kelmi after start-up (MiB)"), peak, true, 1);
    memory.target = QStringLiteral("<= 40");
    memory.met = memory.worst <= 40;
    m_table.addRow(memory);
    return true;
}

bool Benchmarks::measureMemory()
{
    Samples atStart;
    Samples afterShort;
    Samples afterLong;
    Samples growth;
    for (int i = 0; i < (m_quick ? 1 : 3); ++i) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--console-child"), QString::number(receptionsShort),
                     QString::number(receptionsLong)});
        if (!child.waitForFinished(300000) || child.exitCode() != 0) {
            return fail(QStringLiteral("the console child failed"));
        }
        // Lines "<receptions> <VmHWM> <VmRSS>" for 0, 100 and 1000 receptions.
        QList<double> peaks;
        for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() == 3) {
                peaks.append(fields[1].toDouble());
            }
        }
        if (peaks.size() != 3) {
            return fail(QStringLiteral("the console child reported no memory"));
        }
        atStart.add(mib(peaks[0]));
        afterShort.add(mib(peaks[1]));
        afterLong.add(mib(peaks[2]));
        growth.add(peaks[2] - peaks[1]);
    }

    const auto add = [this](const QString &figure, const Samples &samples) {
        ResultTable::Row memory = row(figure, samples, true, 1);
        memory.target = QStringLiteral("<= 40");
        memory.met = memory.worst <= 40;
        m_table.addRow(memory);
    };
    add(QStringLiteral("peak RSS of driven window after start-up (MiB)"), atStart);
    add(QStringLiteral("peak RSS of driven window after %1 receptions (MiB)").arg(receptionsShort),
        afterShort);
    add(QStringLiteral("peak RSS of driven window after %1 receptions (MiB)").arg(receptionsLong),
        afterLong);
    ResultTable::Row rise = row(QStringLiteral("peak RSS rise from %1 to %2 receptions (KiB)")
                                    .arg(receptionsShort)
                                    .arg(receptionsLong),
                                growth, true, 0);
    rise.target = QStringLiteral("<= %1 (not growing)").arg(growthLimitKiB);
    rise.met = rise.worst <= growthLimitKiB;
    m_table.addRow(rise);
    return true;
}

bool Benchmarks::measureLatency()
{
    ConsoleDriver console;
    if (!console.error().isEmpty()) {
        return fail(console.error());
    }
    Samples latency;
    if (const QString error = timeSeries(console, runs(240), &latency); !error.isEmpty()) {
        return fail(error);
    }
    ResultTable::Row figure
        = row(QStringLiteral("reception latency, last byte to rows set (ms)"), latency, true, 3);
    figure.target = QStringLiteral("median <= 1, worst <= 10");
    figure.met = figure.median <= 1 && figure.worst <= 10;
    m_table.addRow(figure);
    return true;
}

bool Benchmarks::measureOutsideLatency()
{
    const int count = runs(240);
    ConsoleProcess console(count);
    if (!console.error().isEmpty()) {
        return fail(console.error());
    }
    Samples latency;
    if (const QString error = timeSeries(console, count, &latency); !error.isEmpty()) {
        return fail(error);
    }
    if (!console.finish()) {
        return fail(console.error());
    }
    // The wait, the read and the close as the device end sees them; no target of its own,
    // it shows a slower wait or close that the figure inside the process would not.
    m_table.addRow(row(QStringLiteral("last byte to port closed, from another process (ms)"),
                       latency, true, 3));
    return true;
}

bool Benchmarks::measureIdleCpu()
{
    ConsoleDriver console;
    if (!console.error().isEmpty()) {
        return fail(console.error());
    }
    Samples share;
    for (int i = 0; i < (m_quick ? 1 : 3); ++i) {
        double percent = 0;
        const ConsoleDriver::Timing wait = console.idleWait(5000, &percent);
        if (!wait.error.isEmpty()) {
            return fail(wait.error);
        }
        share.add(percent);
    }
    ResultTable::Row figure
        = row(QStringLiteral("CPU while waiting 5 s, no bytes (% of a core)"), share, true, 3);
    figure.target = QStringLiteral("<= 1");
    figure.met = figure.worst <= 1;
    m_table.addRow(figure);
    return true;
}

bool Benchmarks::measureSaveAndDelete()
{
    ConsoleDriver console;
    if (!console.error().isEmpty()) {
        return fail(console.error());
    }
    Samples saves;
    Samples deletes;
    for (int i = 0; i < runs(50); ++i) {
        for (int slot = 1; slot <= 2; ++slot) {
            const ConsoleDriver::Timing save = console.save(slot);
            if (!save.error.isEmpty()) {
                return fail(save.error);
            }
            saves.add(save.ms);
            const ConsoleDriver::Timing remove = console.remove(slot);
            if (!remove.error.isEmpty()) {
                return fail(remove.error);
            }
            deletes.add(remove.ms);
        }
    }
    m_table.addRow(row(QStringLiteral("save click, file committed (ms)"), saves, true, 3));
    m_table.addRow(row(QStringLiteral("delete click (ms)"), deletes, true, 3));
    return true;
}

bool Benchmarks::measureDecoding()
{
    Samples perSecond;
    measureDecodingThroughput(m_quick ? 3 : 9, 300, &perSecond);
    // Shown in millions per second; worst is the slowest run.
    ResultTable::Row figure
        = row(QStringLiteral("decoding throughput (million transmissions/s)"), perSecond, false, 2);
    figure.median /= 1e6;
    figure.worst /= 1e6;
    m_table.addRow(figure);
    return true;
}
