#pragma once

#include <QByteArrayView>

// The three list indexes that a transmission fills for one player slot.
// -1 means no selection.
struct DeviceSelection
{
    int deviceKind = -1; // 0..3
    int character = -1; // 0..21
    int strength = -1; // 0..60

    friend bool operator==(const DeviceSelection &, const DeviceSelection &) = default;
};

// Decodes a received transmission (one byte per character, position 1 first)
// against the slot's lists as they stand, and returns what the lists show afterwards.
// `lists` holds rows of the lists or -1, as a window's lists do; so does the result.
// Indexes the lists cannot take become -1 and decoding goes on; a byte outside ASCII and a
// position beyond the end of the text match nothing.
DeviceSelection decodeTransmission(QByteArrayView received, DeviceSelection lists);
