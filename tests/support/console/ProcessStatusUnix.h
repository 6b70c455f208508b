#pragma once

#include <QtGlobal>

// A memory field of /proc/<pid>/status in KiB, e.g. "VmHWM" (peak resident set) or
// "VmRSS" (resident set now); -1 when the process or the field is not there.
// pid 0 means this process.
qint64 processStatusKiB(qint64 pid, const char *field);
