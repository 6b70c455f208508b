#pragma once

// For start-up benchmarks: with KELMI_READY_FD naming an open descriptor, writes "ready\n"
// to it once the event loop runs, i.e. once the windows shown before this call are up.
// Without the variable it does nothing, so the window is the same either way.
void reportReadiness();
