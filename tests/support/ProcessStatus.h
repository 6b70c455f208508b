#pragma once

#include <QByteArray>
#include <QtGlobal>

// A memory field of /proc/<pid>/status in KiB, e.g. "VmHWM" (peak resident set) or
// "VmRSS" (resident set now); -1 when the process or the field is not there.
// pid 0 means this process.
qint64 processStatusKiB(qint64 pid, const char *field);

// Whether the process holds a descriptor of the file at path, as /proc/<pid>/fd tells
// another process; false when the process is gone.
bool processHasOpen(qint64 pid, const QByteArray &path);
