#pragma once

#include <QList>

// The console's window in a process of its own, driven through receptions, so that its
// memory can be read without the benchmark's own allocations. Prints one line
// "<receptions> <VmHWM KiB> <VmRSS KiB>" after start-up (0) and after each count in
// checkpoints; returns the process's exit code.
int runConsoleChild(const QList<int> &checkpoints);
