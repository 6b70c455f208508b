#pragma once

#include <QString>

// Starts the real console program the way an operator's desktop does, headless, and
// times it until the console reports that its window is shown and its event loop runs
// (the readiness report on KELMI_READY_FD).
class ConsoleLaunch
{
public:
    struct Result
    {
        QString error; // empty when the console started and reported readiness
        double startUpMs = 0;
        qint64 peakResidentKiB = -1; // VmHWM once the first events have settled
    };

    // Runs the console at program in workingDirectory once, then ends it.
    static Result runOnce(const QString &program, const QString &workingDirectory);
};
