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

    Benchmarks benchmarks(QApplication::arguments().contains(QLatin1String("--quick")));
    const bool measured = benchmarks.run();
    std::fputs(qPrintable(benchmarks.table().toText()), stdout);
    if (!measured) {
        std::fprintf(stderr, "kelmi-bench: %s\n", qPrintable(benchmarks.error()));
        return 1;
    }
    return 0;
}
