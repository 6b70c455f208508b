#include "ConsoleChild.h"

#include "ConsoleDriver.h"
#include "ProcessStatus.h"
#include "SampleTransmissions.h"

#include <cstdio>

namespace {

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

    const QList<SampleTransmission> transmissions = validTransmissions();
    int done = 0;
    for (int checkpoint : checkpoints) {
        for (; done < checkpoint; ++done) {
            // Both slots, every device kind.
            const int slot = 1 + done % 2;
            const ConsoleDriver::Timing reception
                = console.receive(slot, transmissions[(done / 2) % transmissions.size()]);
            if (!reception.error.isEmpty()) {
                std::fprintf(stderr, "reception %d: %s\n", done + 1, qPrintable(reception.error));
                return 1;
            }
        }
        report(done);
    }
    return 0;
}
