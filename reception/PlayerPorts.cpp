#include "PlayerPorts.h"

#include <QtGlobal>

PlayerPort playerPort(PlayerSlot slot)
{
    const PlayerSlotFacts &facts = slotFacts(slot);
    const QString configured = qEnvironmentVariable(facts.portVariable);
    if (configured.isEmpty()) {
        return {facts.defaultDevice.toString(), false};
    }
    return {configured, true};
}
