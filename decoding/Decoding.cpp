#include "Decoding.h"

#include "DeviceTables.h"

using namespace DeviceTables;

namespace {

// Stands for a byte outside ASCII and for a position beyond the end of the text: no
// comparison or table entry accepts it, and as a device code or strength digit it yields an
// index that no list can take.
constexpr int unmatchedCode = -1;

int codeAt(QByteArrayView received, int position)
{
    if (position > received.size()) {
        return unmatchedCode;
    }
    const auto byte = static_cast<unsigned char>(received[position - 1]);
    return byte < 0x80 ? byte : unmatchedCode;
}

bool inRange(int code, char lowest, char highest)
{
    return code >= lowest && code <= highest;
}

// A list holds one of its rows or no selection; an index it cannot take leaves it with none.
int listIndex(int index, int rows)
{
    return index >= noSelection && index < rows ? index : noSelection;
}

void setCharacter(ListIndexes &settings, int row)
{
    // A transmission that names no character leaves the list as it is.
    if (row != noSelection) {
        settings.character = row;
    }
}

int strengthFromDigit(QByteArrayView received)
{
    return listIndex(codeAt(received, strengthDigitPosition) - strengthDigitBase, strengthRows);
}

void decodeKind0(QByteArrayView received, ListIndexes &settings)
{
    settings.strength = strengthFromDigit(received);
    const int group = codeAt(received, kind0GroupPosition);
    if (!inRange(group, kind0FirstGroup, kind0LastGroup)) {
        return;
    }
    setCharacter(settings, kind0CharacterRow(group, codeAt(received, kind0LetterPosition)));
}

void decodeKind1(QByteArrayView received, ListIndexes &settings)
{
    // Each key is read only when the one before it was acceptable.
    const int first = codeAt(received, kind1FirstKeyPosition);
    if (!inRange(first, kind1FirstKeyLowest, kind1FirstKeyHighest)) {
        return;
    }
    const int second = codeAt(received, kind1SecondKeyPosition);
    if (!inRange(second, kind1SecondKeyLowest, kind1SecondKeyHighest)) {
        return;
    }
    setCharacter(settings,
                 kind1CharacterRow(first, second, codeAt(received, kind1ThirdKeyPosition)));
}

void decodeKind2(QByteArrayView received, ListIndexes &settings)
{
    settings.strength = strengthFromDigit(received);
    if (codeAt(received, kind2MarkerPosition) != kind2CharacterMarker) {
        return;
    }
    setCharacter(settings, kind2CharacterRow(codeAt(received, kind2DigitPosition)));
}

} // namespace

ListIndexes decodeTransmission(QByteArrayView received, int shownStrength)
{
    ListIndexes settings;
    settings.deviceKind
        = listIndex(codeAt(received, deviceCodePosition) - firstDeviceCode, deviceKindRows);

    // Branch on what the device kind list took, not on the raw code: an untakeable code
    // has already become no selection there.
    switch (settings.deviceKind) {
    case 0:
        decodeKind0(received, settings);
        break;
    case 1:
        decodeKind1(received, settings);
        break;
    case 2:
        decodeKind2(received, settings);
        break;
    default:
        // Kind 3 carries neither character nor strength; no device kind decodes nothing.
        break;
    }

    // The strength digit counts 'A' on from 10, so everything above 9 is lowered by the seven
    // characters between '9' and 'A'. This runs for every transmission and acts on whatever
    // the strength list shows, a strength picked by hand included; a strength of 9 or less
    // is left as it is.
    const int strength = settings.strength.value_or(shownStrength);
    if (strength > strengthAdjustmentThreshold) {
        settings.strength = strength - strengthAdjustment;
    }
    return settings;
}
