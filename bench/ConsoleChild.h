#pragma once

#include <QList>

// The console's window in a process of its own, driven through receptions, so that its
// memory can be read without the benchmark's own allocations. Prints one line
// "<receptions> <VmHWM KiB> <VmRSS KiB>" after start-up (0) and after each count in
// checkpoints; returns the process's exit code.
int runConsoleChild(const QList<int> &checkpoints);

// The console's window in a process of its own, for figures seen from outside: runs
// `receptions` receptions of the series (seriesReception) on the ports that the parent
// named and plays. Prints "waiting" once each reception waits, for the parent to send;
// checks the rows each leaves; returns the process's exit code.
int runReceivingChild(int receptions);
