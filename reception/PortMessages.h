#pragma once

#include "PlayerSlot.h"
#include "SystemError.h"

#include <QString>

// What the status line tells the operator about a player's serial port when it fails. Each
// message is one line that says what happened, then a hint on what to do where there is one.

// "ポート１" or "ポート２", as on the port buttons.
QString portLabel(PlayerSlot slot);

// The line went away during a wait.
QString lineLostMessage(PlayerSlot slot, const SystemError &error);

// The messages the platforms' diagnoses (PortDiagnosis.h) choose from.
namespace PortMessage {
// `where` tells what to check besides the cable.
QString missing(PlayerSlot slot, const QString &path, const QString &where);
// `holder` names the program when it is known.
QString held(PlayerSlot slot, const QString &path, const QString &holder = QString());
QString notOpened(PlayerSlot slot, const QString &path, const SystemError &error);
} // namespace PortMessage
