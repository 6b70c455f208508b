#pragma once

#include "Decoding.h"
#include "PlayerFiles.h"

#include <QByteArray>
#include <QList>

// The worked examples of what the console reads and writes: device transmissions with the
// rows they set, and player data files with their bytes, each worked out by hand once and
// read by the decoding, window and file tests and the benchmark alike.

struct ExampleTransmission
{
    const char *name; // e.g. "kind 0, C group 0, strength 5"
    QByteArray bytes; // one whole transmission of 17 characters
    ListIndexes decoded; // what it sets in its slot's lists when they show no strength
};

// Every device kind's transmissions, the valid ones first, then those with codes its
// tables do not hold.
const QList<ExampleTransmission> &exampleTransmissions();
// The transmission of that name (a name that is not there ends the program).
const ExampleTransmission &exampleTransmission(const char *name);

struct ExampleFile
{
    const char *name; // e.g. "slot 1 worked example (41 bytes)"
    PlayerSlot slot;
    PlayerRecord record;
    QByteArray bytes; // of the player data file that saves the record
};

const QList<ExampleFile> &exampleFiles();
// The file of that name (a name that is not there ends the program).
const ExampleFile &exampleFile(const char *name);
