#include "ExpectedDecoding.h"

namespace ExpectedDecoding {

namespace {

// A byte outside ASCII is no character code that any table or digit rule knows.
constexpr int foreign = -1000;

int codeAt(const QByteArray &bytes, int position)
{
    if (position > bytes.size()) {
        return foreign;
    }
    const auto byte = static_cast<unsigned char>(bytes[position - 1]);
    return byte < 0x80 ? byte : foreign;
}

// A list takes a row or -1; any other index leaves it without a selection.
int within(int index, int rows)
{
    return index >= -1 && index < rows ? index : -1;
}

constexpr int deviceKindRows = 4;
constexpr int strengthRows = 61;

int strengthFrom(int code)
{
    return code == foreign ? -1 : within(code - '0', strengthRows);
}

} // namespace

const QList<LetterEntry> &letterTable()
{
    static const QList<LetterEntry> table = {
        {'0', 'C', 1},  {'0', 'E', 17}, {'1', 'A', 14}, {'1', 'D', 15},
        {'2', 'C', 11}, {'2', 'E', 18}, {'3', 'C', 19}, {'3', 'D', 12},
    };
    return table;
}

const QList<KeyEntry> &keyTable()
{
    static const QList<KeyEntry> table = {
        {'0', '0', 'C', 6},  {'0', '0', 'F', 12}, {'0', '1', '2', 16}, {'0', '1', '4', 8},
        {'1', '0', 'C', 5},  {'1', '0', 'D', 13}, {'2', '0', 'D', 2},  {'2', '1', '0', 20},
        {'3', '0', 'C', 3},  {'3', '0', 'D', 10}, {'3', '1', '2', 21}, {'4', '0', 'C', 0},
        {'4', '0', 'D', 11}, {'4', '1', '0', 19}, {'4', '1', '4', 9},
    };
    return table;
}

const QList<DigitEntry> &digitTable()
{
    static const QList<DigitEntry> table = {
        {'0', 0}, {'1', 3}, {'2', 2}, {'3', 6}, {'4', 5}, {'5', 4}, {'6', 7},
    };
    return table;
}

Rows decoded(const QByteArray &bytes, Rows before)
{
    auto [kind, character, strength] = before;
    const int deviceCode = codeAt(bytes, 1);
    kind = deviceCode == foreign ? -1 : within(deviceCode - '1', deviceKindRows);

    if (kind == 0) {
        strength = strengthFrom(codeAt(bytes, 3));
        for (const LetterEntry &entry : letterTable()) {
            if (codeAt(bytes, 7) == entry.group && codeAt(bytes, 2) == entry.letter) {
                character = entry.character;
            }
        }
    } else if (kind == 1) {
        for (const KeyEntry &entry : keyTable()) {
            if (codeAt(bytes, 5) == entry.first && codeAt(bytes, 4) == entry.second
                && codeAt(bytes, 3) == entry.third) {
                character = entry.character;
            }
        }
    } else if (kind == 2) {
        strength = strengthFrom(codeAt(bytes, 3));
        if (codeAt(bytes, 11) == '2') {
            for (const DigitEntry &entry : digitTable()) {
                if (codeAt(bytes, 10) == entry.digit) {
                    character = entry.character;
                }
            }
        }
    }
    // Every transmission ends with the strength correction, whatever showed before.
    if (strength > 9) {
        strength -= 7;
    }
    return {kind, character, strength};
}

QString shownText(const QByteArray &bytes)
{
    QString text;
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        if (value < 0x20) {
            text += QChar(char16_t(0x2400 + value));
        } else if (value == 0x7F) {
            text += QChar(0x2421);
        } else if (value < 0x80) {
            text += QChar(value);
        } else if (value >= 0xA1 && value <= 0xDF) {
            // Half-width katakana: 0xA1 is U+FF61, and so on in order.
            text += QChar(char16_t(0xFF61 + value - 0xA1));
        } else {
            text += QChar(0xFFFD);
        }
    }
    return text;
}

} // namespace ExpectedDecoding
