#include "Benchmarks.h"
#include "ConsoleChild.h"

#include <QApplication>

#include <cstdio>

// kelmi-bench [--quick]: measures the console and prints one table of figures.
// kelmi-bench --console-child N...: the console window driven through receptions, in a
// process of its own (started by the benchmark for the memory figures).
// kelmi-bench --receiving-child N: the console window through N receptions whose devices
// the benchmark plays from outside (for the latency seen from another process).
int main(int argc, char *argv[])
{
    // Headless, like the console under test.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("ケルミ"));

    QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.value(0) == QLatin1String("--console-child")) {
        QList<int> checkpoints;
        for (const QString &argument : arguments.mid(1)) {
            checkpoints.append(argument.toInt());
        }
        return runConsoleChild(checkpoints);
    }
    if (arguments.value(0) == QLatin1String("--receiving-child")) {
        return runReceivingChild(arguments.value(1).toInt());
    }

    Benchmarks benchmarks(arguments.contains(QLatin1String("--quick")));
    const bool measured = benchmarks.run();
    std::fputs(qPrintable(benchmarks.table().toText()), stdout);
    if (!measured) {
        std::fprintf(stderr, "kelmi-bench: %s\n", qPrintable(benchmarks.error()));
        return 1;
    }
    return 0;
}
