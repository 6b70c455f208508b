#include "SampleTransmissions.h"

#include "DeviceTables.h"

#include <QRandomGenerator>

namespace {

// One transmission of "0"s with the read positions (counted from 1) set as given.
QByteArray transmission(std::initializer_list<std::pair<int, char>> positions)
{
    QByteArray bytes(DeviceTables::minimumTransmissionLength, '0');
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

QList<QByteArray> variedTransmissions()
{
    QList<QByteArray> all;
    for (const SampleTransmission &valid : validTransmissions()) {
        all.append(valid.bytes);
    }
    // Near misses: pairs and triples not in the tables, lower case, a wrong group.
    all.append(transmission({{1, '1'}, {2, 'E'}, {3, '0'}, {7, '3'}}));
    all.append(transmission({{1, '1'}, {2, 'c'}, {3, '5'}, {7, '0'}}));
    all.append(transmission({{1, '2'}, {3, 'C'}, {4, '1'}, {5, '1'}}));
    all.append(transmission({{1, '3'}, {3, '7'}, {10, '7'}, {11, '2'}}));
    all.append(transmission({{1, '1'}, {2, 'C'}, {3, 'l'}, {7, '0'}}));
    all.append(transmission({{1, '1'}, {2, 'C'}, {3, '\x7f'}, {7, '0'}}));
    // Line noise of every byte value, 17 to 40 bytes long.
    QRandomGenerator random(20240);
    while (all.size() < 64) {
        QByteArray noise(17 + random.bounded(24), '\0');
        for (char &byte : noise) {
            byte = char(random.bounded(256));
        }
        // Half of them start with a device code, so the branches behind it run too.
        if (all.size() % 2) {
            noise[0] = char('0' + random.bounded(5));
        }
        all.append(noise);
    }
    return all;
}
