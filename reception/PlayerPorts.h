#pragma once

#include "PlayerSlot.h"

#include <QString>

// Which device a player's port stands for. KELMI_PORT1 / KELMI_PORT2 name it when set and
// not empty (a USB adapter, or a pseudo-terminal for a rehearsal); otherwise port 1 and
// port 2 are the machine's first and second serial ports.
QString serialPortName(PlayerSlot slot);
