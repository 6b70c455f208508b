#include "ConsoleChild.h"

#include "ConsoleDriver.h"
#include "ProcessStatus.h"
#include "SampleTransmissions.h"

#include <cstdio>

namespace {

void say(const char *line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}

void report(int receptions)
{
    std::printf("%d %lld %lld\n", receptions, processStatusKiB(0, "VmHWM"),
                processStatusKiB(0, "VmRSS"));
    std::fflush(stdout);
}

} // namespace

int runConsoleChild(const QList<int> &checkpoints)
{
    ConsoleDriver console;
    if (!console.error().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(console.error()));
        return 1;
    }
    report(0);

    int done = 0;
    for (int checkpoint : checkpoints) {
        for (; done < checkpoint; ++done) {
            const SeriesReception next = seriesReception(done);
            const ConsoleDriver::Timing reception = console.receive(next.slot, next.sent);
            if (!reception.error.isEmpty()) {
                std::fprintf(stderr, "reception %d: %s\n", done + 1, qPrintable(reception.error));
                return 1;
            }
        }
        report(done);
    }
    return 0;
}

int runReceivingChild(int receptions)
{
    ConsoleDriver console(ConsoleDriver::Devices::PlayedByParent);
    if (!console.error().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(console.error()));
        return 1;
    }
    for (int done = 0; done < receptions; ++done) {
        const SeriesReception next = seriesReception(done);
        const QString error
            = console.receiveFromParent(next.slot, next.sent, [] { say("waiting"); });
        if (!error.isEmpty()) {
            std::fprintf(stderr, "reception %d: %s\n", done + 1, qPrintable(error));
            return 1;
        }
    }
    return 0;
}
