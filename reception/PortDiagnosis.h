#pragma once

#include "PortFailure.h"

// Why the port at `path` did not open: a device that is not there (and which ports there
// are), one that another program holds (and which), one that this user may not open (and
// the device's group), a stale lock, or else the system's reason. Each platform finds out in
// its own way (PortDiagnosisUnix.cpp looks at the device and its lock files), so call it only
// right after the port itself failed to open with `error`. The slot, device and its origin
// are the caller's to fill in.
PortFailure diagnoseOpenFailure(const QString &path, const SystemError &error);
