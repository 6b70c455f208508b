#pragma once

#include <QStringList>

// The fixed rows of the window's lists. A row's index is the code that the decoding
// sets and the player data files carry, so rows are never reordered.
namespace ListRows {
QStringList deviceKinds();
QStringList characters();
QStringList strengths();
QStringList backgrounds();
QStringList bgm();
} // namespace ListRows
