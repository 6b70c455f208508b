#pragma once

#include "PlayerSlot.h"
#include "SystemError.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// "player1.dat" or "player2.dat", resolved against the working directory.
inline QString playerFileName(PlayerSlot slot)
{
    return slotFacts(slot).fileName.toString();
}

// One player's record in file order: device kind, character, strength, and for
// slot 1 also background and BGM. Every value is a list row index (never -1).
using PlayerRecord = QList<int>;

// The exact bytes of a player data file: one " <value> " line per value, then the
// end line "ダミーデータ" in code page 932; every line ends with CR LF.
QByteArray playerFileBytes(const PlayerRecord &record);

// Writes the slot's file in the working directory, replacing whatever bears its name there
// (an earlier file, a link, which is never followed) in one rename so that a reader never
// sees a half-written record, and puts it on the disk before returning. An earlier file keeps
// its permission bits; one that this user may not write (read-only) is not replaced. On
// failure (full disk, read-only file system, a file that cannot be replaced...) an earlier file
// stays as it was and nothing else is left behind. Returns why it failed, nothing on success.
std::optional<SystemError> writePlayerFile(PlayerSlot slot, const PlayerRecord &record);

// Removes the slot's file by its name (a link, not its target), unless it is read-only for
// this user. A file that is already gone counts as removed.
std::optional<SystemError> removePlayerFile(PlayerSlot slot);

// True when the working directory lists a regular file with exactly the slot's
// file name, letter case included. A link of that name counts as absent: the file the match
// program would read is not in the folder, and a save puts a real one there.
bool playerFilePresent(PlayerSlot slot);

// Where the slot's file is, for the operator's eyes: the working folder's path as it is now
// (it follows a rename; a name in another encoding shows as well as it can) and the file
// name, or the file name alone when the folder is gone.
QString playerFileForDisplay(PlayerSlot slot);
