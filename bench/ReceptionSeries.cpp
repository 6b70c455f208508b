#include "ReceptionSeries.h"

SeriesReception seriesReception(int n)
{
    const QList<ExampleTransmission> &transmissions = exampleTransmissions();
    return {1 + n % 2, transmissions[(n / 2) % transmissions.size()]};
}

QString shownMismatch(int slot, const ExampleTransmission &sent, const QList<int> &rows,
                      const QString &status)
{
    // The device kind's, the character's and the strength's list of each slot; a list that
    // the transmission leaves alone keeps no selection.
    const QList<int> lists = slot == 1 ? QList<int> {1, 2, 3} : QList<int> {6, 5, 4};
    const QList<int> shown = {rows.value(lists[0] - 1, -2), rows.value(lists[1] - 1, -2),
                              rows.value(lists[2] - 1, -2)};
    const QList<int> expected = {sent.decoded.deviceKind, sent.decoded.character.value_or(-1),
                                 sent.decoded.strength.value_or(-1)};
    if (shown == expected && status == QString::fromLatin1(sent.bytes)) {
        return QString();
    }
    return QStringLiteral("port %1 received %2 and showed \"%3\" with rows %4,%5,%6")
        .arg(slot)
        .arg(QString::fromLatin1(sent.bytes), status)
        .arg(shown[0])
        .arg(shown[1])
        .arg(shown[2]);
}
