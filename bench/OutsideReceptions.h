#pragma once

#include <QList>
#include <QString>

// A series of receptions (seriesReception) on the console's window in another process (the
// test child's window mode), whose devices this process plays, timed the way a device or
// the operator meets them, and the memory that process took for them.
struct OutsideReceptions
{
    QString error; // empty when every reception showed what was sent
    QList<double> lastByteToClosedMs; // last byte's write() to the port's close in that process
    qint64 peakKiB = -1; // VmHWM after the last reception
};

OutsideReceptions receiveFromOutside(const QString &testChild, int count);
