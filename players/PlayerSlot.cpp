#include "PlayerSlot.h"

namespace {

const PlayerSlotFacts facts[] = {
    {portCaptions[0], saveCaptions[0], u"プレイヤー１受信中", "", u"player1.dat", "KELMI_PORT1"},
    // Port 2's devices answer only once they have been greeted with "AT" and a carriage return.
    {portCaptions[1], saveCaptions[1], u"プレイヤー２受信中", "AT\r", u"player2.dat",
     "KELMI_PORT2"},
};

} // namespace

const PlayerSlotFacts &slotFacts(PlayerSlot slot)
{
    return facts[slot == PlayerSlot::One ? 0 : 1];
}
