#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A device transmission and the rows it must leave in the slot's three lists when the
// lists start without a selection.
struct SampleTransmission
{
    QByteArray bytes;
    int deviceKind = -1;
    int character = -1;
    int strength = -1;
};

// Valid 17-byte transmissions of every device kind, with their rows worked out by hand
// from the decoding tables.
QList<SampleTransmission> validTransmissions();

// The n-th (from 0) of a series of receptions that alternates both ports, port 1 first,
// and goes through every valid transmission on each.
struct SeriesReception
{
    int slot = 1;
    SampleTransmission sent;
};
SeriesReception seriesReception(int n);

// What differs between what was sent on the slot's port and what the window shows: the
// rows of its lists Combo1..Combo8 and the status line. Empty when they agree.
QString shownMismatch(int slot, const SampleTransmission &sent, const QList<int> &rows,
                      const QString &status);
