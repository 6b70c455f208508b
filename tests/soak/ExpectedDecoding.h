#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>

// What the console must make of received bytes, transcribed from the device tables
// into the test's own code: it shares nothing with the console's decoding.
namespace ExpectedDecoding {

// Device kind row 0: the character is chosen by the group (position 7) and the letter
// (position 2).
struct LetterEntry
{
    char group;
    char letter;
    int character;
};
// Device kind row 1: by the first, second and third key (positions 5, 4, 3).
struct KeyEntry
{
    char first;
    char second;
    char third;
    int character;
};
// Device kind row 2: by the character digit (position 10).
struct DigitEntry
{
    char digit;
    int character;
};

const QList<LetterEntry> &letterTable();
const QList<KeyEntry> &keyTable();
const QList<DigitEntry> &digitTable();

// Rows of a slot's device kind, character and strength lists (-1: none).
using Rows = std::array<int, 3>;

// The rows after decoding bytes into lists that showed `before`.
Rows decoded(const QByteArray &bytes, Rows before);

// The status label's text for the received bytes: one character per byte, control
// characters as their control pictures (U+2400 and on, U+2421 for DEL).
QString shownText(const QByteArray &bytes);

} // namespace ExpectedDecoding
