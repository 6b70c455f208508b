#pragma once

#include <QByteArrayView>

#include <optional>

// The indexes that one transmission sets in a player slot's lists. A list whose index is
// left empty here is not touched: it keeps its selection and any text typed into its field.
// Setting -1 removes the selection and empties the field.
struct ListIndexes
{
    int deviceKind = -1; // always set: 0..3, or -1
    std::optional<int> character; // 0..21
    std::optional<int> strength; // -1..60

    friend bool operator==(const ListIndexes &, const ListIndexes &) = default;
};

// Decodes a received transmission (one byte per character, position 1 first) for a slot
// whose strength list shows `shownStrength` (-1 for none), and returns the indexes to set.
// Indexes the lists cannot take become -1 and decoding goes on; a byte outside ASCII and a
// position beyond the end of the text match nothing.
ListIndexes decodeTransmission(QByteArrayView received, int shownStrength);
