#pragma once

#include <QByteArrayView>
#include <QStringView>

// The two players at the match table. Each slot has its own serial port, lists, save and
// delete buttons and player data file. Its value is the player's number, which also numbers
// the player's serial port.
enum class PlayerSlot { One = 1, Two = 2 };

// What sets one player slot apart from the other, all in one place.
struct PlayerSlotFacts
{
    // 「ポート１」: the port button's caption, and the port's name in messages.
    QStringView portLabel;
    QStringView saveCaption; // the save button's
    QStringView waitingMessage; // the status line while the slot's reception waits
    QByteArrayView greeting; // sent to the device right after the port opens
    QStringView fileName; // the slot's player data file in the working folder
    const char *portVariable; // the environment variable that names another device for the port
};

const PlayerSlotFacts &slotFacts(PlayerSlot slot);

// The captions of each slot's port and save buttons, and of both delete buttons: the window
// shows them (its layout is made at compile time) and the messages name them.
inline constexpr const char16_t *portCaptions[] = {u"ポート１", u"ポート２"};
inline constexpr const char16_t *saveCaptions[] = {u"データ１送信", u"データ２送信"};
inline constexpr QStringView deleteCaption = u"送信データの削除";
