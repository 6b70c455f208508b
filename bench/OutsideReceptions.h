#pragma once

#include <QList>
#include <QString>

// A series of receptions (seriesReception) on the console's window in another process (the
// test child's window mode), whose devices this process plays, timed from outside, and the
// memory that process took for them.
struct OutsideReceptions
{
    QString error; // empty when every reception showed what was sent
    QList<double> lastByteToShownMs; // last byte's write() to that process's report of its rows
    qint64 peakKiB = -1; // VmHWM after the last reception
};

OutsideReceptions receiveFromOutside(const QString &testChild, int count);
