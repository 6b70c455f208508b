#include "SampleTransmissions.h"

namespace {

// 17 characters of "0" with the read positions (counted from 1) set as given.
QByteArray transmission(std::initializer_list<std::pair<int, char>> positions)
{
    QByteArray bytes(17, '0');
    for (const auto &[position, character] : positions) {
        bytes[position - 1] = character;
    }
    return bytes;
}

} // namespace

QList<SampleTransmission> validTransmissions()
{
    return {
        {transmission({{1, '1'}, {2, 'C'}, {3, '5'}, {7, '0'}}), 0, 1, 5},
        {transmission({{1, '1'}, {2, 'A'}, {3, 'Z'}, {7, '1'}}), 0, 14, 35},
        {transmission({{1, '1'}, {2, 'D'}, {3, '9'}, {7, '3'}}), 0, 12, 9},
        {transmission({{1, '1'}, {2, 'E'}, {3, 'G'}, {7, '2'}}), 0, 18, 16},
        {transmission({{1, '2'}, {3, 'C'}, {4, '0'}, {5, '0'}}), 1, 6, -1},
        {transmission({{1, '2'}, {3, '4'}, {4, '1'}, {5, '4'}}), 1, 9, -1},
        {transmission({{1, '2'}, {3, '2'}, {4, '1'}, {5, '3'}}), 1, 21, -1},
        {transmission({{1, '2'}, {3, 'D'}, {4, '0'}, {5, '1'}}), 1, 13, -1},
        {transmission({{1, '3'}, {3, '7'}, {10, '0'}, {11, '2'}}), 2, 0, 7},
        {transmission({{1, '3'}, {3, 'A'}, {10, '6'}, {11, '2'}}), 2, 7, 10},
        {transmission({{1, '4'}}), 3, -1, -1},
        {transmission({{1, '0'}}), -1, -1, -1},
    };
}

SeriesReception seriesReception(int n)
{
    static const QList<SampleTransmission> transmissions = validTransmissions();
    return {1 + n % 2, transmissions[(n / 2) % transmissions.size()]};
}

QString shownMismatch(int slot, const SampleTransmission &sent, const QList<int> &rows,
                      const QString &status)
{
    // The device kind's, the character's and the strength's list of each slot.
    const QList<int> lists = slot == 1 ? QList<int> {1, 2, 3} : QList<int> {6, 5, 4};
    const QList<int> shown = {rows.value(lists[0] - 1, -2), rows.value(lists[1] - 1, -2),
                              rows.value(lists[2] - 1, -2)};
    if (shown == QList<int> {sent.deviceKind, sent.character, sent.strength}
        && status == QString::fromLatin1(sent.bytes)) {
        return QString();
    }
    return QStringLiteral("port %1 received %2 and showed \"%3\" with rows %4,%5,%6")
        .arg(slot)
        .arg(QString::fromLatin1(sent.bytes), status)
        .arg(shown[0])
        .arg(shown[1])
        .arg(shown[2]);
}
