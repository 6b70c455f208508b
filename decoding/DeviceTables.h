#pragma once

#include <array>

// The line that a device and the console share: 9600 baud, 8 data bits, no parity, 1 stop
// bit, no flow control of either kind, set anew for every reception.
namespace LineSettings {
inline constexpr int baudRate = 9600;
inline constexpr int dataBits = 8;
inline constexpr int stopBits = 1;
} // namespace LineSettings

// The codes a handheld device sends and the list rows they stand for. The decoding reads
// them and the device simulator composes transmissions from them, so they live here once.
// Positions in a transmission count from 1.
namespace DeviceTables {

// Rows of the lists that a transmission fills; the window's rows (window/WindowLayout.cpp) are
// checked against them when it is compiled.
inline constexpr int deviceKindRows = 4;
inline constexpr int characterRows = 22;
inline constexpr int strengthRows = 61;
inline constexpr int noSelection = -1;

// A device sends at least this many bytes; the reception waits for them.
inline constexpr int minimumTransmissionLength = 17;

// Position 1: device code '1'..'4' selects device kind row 0..3 as code - '1'; '0' gives
// no device kind.
inline constexpr int deviceCodePosition = 1;
inline constexpr char firstDeviceCode = '1';

// Strength digit (kinds 0 and 2, position 3): code - '0' first, then every strength above 9
// is lowered by 7, so '0'..'9' give 0..9 and 'A'.. give 10.. (as code - '7').
inline constexpr int strengthDigitPosition = 3;
inline constexpr char strengthDigitBase = '0';
inline constexpr int strengthAdjustmentThreshold = 9;
inline constexpr int strengthAdjustment = 7;
// The strength digits that give a row: '/' (no strength) up to 'l' (strength 53).
inline constexpr char lowestStrengthDigit = '/';
inline constexpr char highestStrengthDigit = 'l';
inline constexpr int highestTransmittedStrength
    = highestStrengthDigit - strengthDigitBase - strengthAdjustment;

// Kind 0: the group at position 7 and the letter at position 2 name the character.
inline constexpr int kind0LetterPosition = 2;
inline constexpr int kind0GroupPosition = 7;
inline constexpr char kind0FirstGroup = '0';
inline constexpr char kind0LastGroup = '3';

struct GroupLetterRow
{
    char group;
    char letter;
    int row;
};

inline constexpr std::array<GroupLetterRow, 8> kind0Characters {{
    {'0', 'C', 1},
    {'0', 'E', 17},
    {'1', 'A', 14},
    {'1', 'D', 15},
    {'2', 'C', 11},
    {'2', 'E', 18},
    {'3', 'C', 19},
    {'3', 'D', 12},
}};

// Kind 1: three keys at positions 5, 4 and 3 name the character; it carries no strength.
inline constexpr int kind1FirstKeyPosition = 5;
inline constexpr int kind1SecondKeyPosition = 4;
inline constexpr int kind1ThirdKeyPosition = 3;
inline constexpr char kind1FirstKeyLowest = '0';
inline constexpr char kind1FirstKeyHighest = '4';
inline constexpr char kind1SecondKeyLowest = '0';
inline constexpr char kind1SecondKeyHighest = '1';

struct KeysRow
{
    char first; // position 5
    char second; // position 4
    char third; // position 3
    int row;
};

inline constexpr std::array<KeysRow, 15> kind1Characters {{
    {'0', '0', 'C', 6},
    {'0', '0', 'F', 12},
    {'0', '1', '2', 16},
    {'0', '1', '4', 8},
    {'1', '0', 'C', 5},
    {'1', '0', 'D', 13},
    {'2', '0', 'D', 2},
    {'2', '1', '0', 20},
    {'3', '0', 'C', 3},
    {'3', '0', 'D', 10},
    {'3', '1', '2', 21},
    {'4', '0', 'C', 0},
    {'4', '0', 'D', 11},
    {'4', '1', '0', 19},
    {'4', '1', '4', 9},
}};

// Kind 2: '2' at position 11 announces a character digit at position 10.
inline constexpr int kind2DigitPosition = 10;
inline constexpr int kind2MarkerPosition = 11;
inline constexpr char kind2CharacterMarker = '2';

struct DigitRow
{
    char digit;
    int row;
};

inline constexpr std::array<DigitRow, 7> kind2Characters {{
    {'0', 0},
    {'1', 3},
    {'2', 2},
    {'3', 6},
    {'4', 5},
    {'5', 4},
    {'6', 7},
}};

// Table look-ups by character code; each returns noSelection when the table has no such
// entry. A code outside ASCII matches nothing.
int kind0CharacterRow(int group, int letter);
int kind1CharacterRow(int first, int second, int third);
int kind2CharacterRow(int digit);

} // namespace DeviceTables
