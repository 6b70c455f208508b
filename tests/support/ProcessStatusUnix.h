#pragma once

#include <QStringList>
#include <QtGlobal>

// A memory field of /proc/<pid>/status in KiB, e.g. "VmHWM" (peak resident set) or
// "VmRSS" (resident set now); -1 when the process or the field is not there.
// pid 0 means this process.
qint64 processStatusKiB(qint64 pid, const char *field);

// The files that a process has mapped into its memory (/proc/<pid>/maps): the libraries and
// plugins it loaded, each once. Empty when the process is not there.
QStringList processMappedFiles(qint64 pid);
