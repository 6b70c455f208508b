#include "PlayerPorts.h"

#include <QtGlobal>

QString serialPortName(PlayerSlot slot)
{
    const PlayerSlotFacts &facts = slotFacts(slot);
    const QString configured = qEnvironmentVariable(facts.portVariable);
    return configured.isEmpty() ? facts.defaultDevice.toString() : configured;
}
