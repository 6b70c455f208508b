#pragma once

#include "PlayerSlot.h"
#include "SystemError.h"

#include <QString>

// Why the player's port at `path` did not open, and what to do about it: a device that is not
// there, one that another program holds, one that this user may not open, or else the
// system's reason. Each platform finds out in its own way (PortDiagnosisUnix.cpp, which looks
// at the device and its lock files, or PortDiagnosisWindows.cpp), so call it only right after
// the port itself failed to open with `error`.
QString openFailureMessage(PlayerSlot slot, const QString &path, const SystemError &error);
