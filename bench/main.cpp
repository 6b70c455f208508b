#include "Benchmarks.h"

#include <QApplication>

#include <cstdio>

// kelmi-bench [--quick]: measures the console and prints one table of figures.
int main(int argc, char *argv[])
{
    // Headless, like the consoles it starts.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("ケルミ"));

    ResultTable table;
    const QString error
        = runBenchmarks(QApplication::arguments().contains(QLatin1String("--quick")), &table);
    std::fputs(qPrintable(table.toText()), stdout);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "kelmi-bench: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
