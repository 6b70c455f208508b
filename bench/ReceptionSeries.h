#pragma once

#include "Examples.h"

#include <QList>
#include <QString>

// The n-th (from 0) of a series of receptions that alternates both ports, port 1 first,
// and goes through every example transmission on each.
struct SeriesReception
{
    int slot = 1;
    ExampleTransmission sent;
};
SeriesReception seriesReception(int n);

// What differs between what was sent on the slot's port and what the window shows: the
// rows of its lists Combo1..Combo8, which started without a selection, and the status line.
// Empty when they agree.
QString shownMismatch(int slot, const ExampleTransmission &sent, const QList<int> &rows,
                      const QString &status);
