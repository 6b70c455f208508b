#include "DecodingThroughput.h"

#include "Decoding.h"
#include "SampleTransmissions.h"
#include "Samples.h"

#include <chrono>

void measureDecodingThroughput(int runs, int runMs, Samples *perSecond)
{
    using Clock = std::chrono::steady_clock;
    const QList<QByteArray> transmissions = variedTransmissions();
    // Keeps the compiler from dropping decodings whose result nobody reads.
    volatile int sink = 0;

    for (int run = 0; run < runs; ++run) {
        qint64 decoded = 0;
        const Clock::time_point start = Clock::now();
        const Clock::time_point end = start + std::chrono::milliseconds(runMs);
        Clock::time_point now = start;
        while (now < end) {
            // Whole passes over the mix between clock reads, so the clock costs little.
            for (int pass = 0; pass < 64; ++pass) {
                for (const QByteArray &bytes : transmissions) {
                    const ListSettings settings = decodeTransmission(bytes, -1);
                    sink = sink + settings.deviceKind + settings.character.value_or(0)
                        + settings.strength.value_or(0);
                }
            }
            decoded += 64 * transmissions.size();
            now = Clock::now();
        }
        const double seconds = std::chrono::duration<double>(now - start).count();
        perSecond->add(double(decoded) / seconds);
    }
}
