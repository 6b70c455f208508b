#pragma once

// The two players at the match table. Each slot has its own serial port, lists,
// save and delete buttons and player data file. Its value is the player's number, which
// also numbers the player's serial port.
enum class PlayerSlot { One = 1, Two = 2 };
