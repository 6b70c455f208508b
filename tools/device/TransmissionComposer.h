#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What a simulated device should make the console select.
struct TransmissionRequest
{
    int deviceKind = 0; // device kind row 0..3
    std::optional<int> character; // character row 0..21; none: no character is selected
    std::optional<int> strength; // strength 0..60; none: no strength is selected
};

// A transmission ready to send, or the reason why it cannot be composed.
struct ComposedTransmission
{
    QByteArray bytes;
    QString error; // empty when bytes hold a transmission

    bool isValid() const { return error.isEmpty(); }
};

// Composes the transmission that a device of the requested kind sends so that the console,
// starting from lists with no selection, selects exactly the request: the device code at
// position 1, the character and strength codes from the decoding's own tables at the
// positions that kind uses, and '0' everywhere else, 17 bytes in all. Refuses a request that
// the kind cannot carry: a character its table lacks, a strength above 53 (the highest a
// strength digit gives), any strength for kind 1, anything but the kind for kind 3.
ComposedTransmission composeTransmission(const TransmissionRequest &request);

// The character rows that a device kind can carry, ascending; empty for kind 3.
QList<int> carriedCharacterRows(int deviceKind);

// The same rows as text for messages, e.g. "0, 2, 3"; "none" for kind 3.
QString carriedCharacterRowsText(int deviceKind);
