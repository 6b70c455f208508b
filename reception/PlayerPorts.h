#pragma once

#include "PlayerSlot.h"

#include <QString>

// The device a player's port stands for. The port's variable (KELMI_PORT1 / KELMI_PORT2)
// names it when set and not empty (a USB adapter, or a pseudo-terminal for a rehearsal);
// otherwise port 1 and port 2 are the machine's first and second serial ports.
struct PlayerPort
{
    QString device;
    bool configured = false; // named by the variable
};

PlayerPort playerPort(PlayerSlot slot);
