#include "TransmissionMaker.h"

#include "DeviceTables.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cstring>

namespace {

using namespace DeviceTables;
// Characters that the tables use, so that random near misses often come close.
const char tableCharacters[] = "0123456789ACDEFcdez/:@[`l";

} // namespace

TransmissionMaker::TransmissionMaker(QRandomGenerator *random)
    : m_random(random)
{ }

char TransmissionMaker::anyByte()
{
    // Mostly printable ASCII, sometimes anything (katakana, lead bytes, controls).
    return m_random->bounded(4) == 0 ? char(m_random->bounded(256))
                                     : char(' ' + m_random->bounded(95));
}

char TransmissionMaker::oneOf(const char *characters)
{
    return characters[m_random->bounded(int(std::strlen(characters)))];
}

QByteArray TransmissionMaker::transmission()
{
    // A third of them are bursts longer than a transmission.
    const int length = m_random->bounded(3) == 0
        ? minimumTransmissionLength + 1 + m_random->bounded(40)
        : minimumTransmissionLength;
    QByteArray bytes(length, '\0');
    for (char &byte : bytes) {
        byte = anyByte();
    }
    // Positions are counted from 1.
    const auto set = [&bytes](int position, char character) {
        bytes[position - 1] = character;
    };
    // Valid (from the tables) most of the time, otherwise characters near the tables'.
    const bool valid = m_random->bounded(4) != 0;
    // A strength digit over the whole range that the rule accepts, and a little beyond.
    const auto strengthDigit = [this] {
        return m_random->bounded(8) == 0 ? anyByte() : char(44 + m_random->bounded(68));
    };

    switch (m_random->bounded(7)) {
    case 0: { // kind row 0: letter, strength digit, group
        set(1, '1');
        const auto &entry = kind0Characters.at(m_random->bounded(int(kind0Characters.size())));
        set(2, valid ? entry.letter : oneOf(tableCharacters));
        set(3, strengthDigit());
        set(7, valid ? entry.group : oneOf(tableCharacters));
        break;
    }
    case 1: { // kind row 1: three keys, no strength
        set(1, '2');
        const auto &entry = kind1Characters.at(m_random->bounded(int(kind1Characters.size())));
        set(5, valid ? entry.first : oneOf(tableCharacters));
        set(4, valid ? entry.second : oneOf(tableCharacters));
        set(3, valid ? entry.third : oneOf(tableCharacters));
        break;
    }
    case 2: { // kind row 2: strength digit, character digit, "2" when a character follows
        set(1, '3');
        const auto &entry = kind2Characters.at(m_random->bounded(int(kind2Characters.size())));
        set(3, strengthDigit());
        set(10, valid ? entry.digit : oneOf(tableCharacters));
        set(11, valid ? '2' : oneOf(tableCharacters));
        break;
    }
    case 3: // kind row 3: nothing but the device code
        set(1, '4');
        break;
    case 4: // device code "0": no device kind
        set(1, '0');
        break;
    case 5: // a device code that no device has, ASCII or not
        set(1, m_random->bounded(2) ? oneOf("/56789:AZaz") : char(0x80 + m_random->bounded(128)));
        set(3, strengthDigit());
        break;
    default: // line noise throughout
        break;
    }
    return bytes;
}

QByteArray TransmissionMaker::noise(int length)
{
    QByteArray bytes(length, '\0');
    for (char &byte : bytes) {
        byte = char(m_random->bounded(256));
    }
    return bytes;
}

QList<QByteArray> TransmissionMaker::pieces(const QByteArray &bytes)
{
    // Cut points below 17: every piece but the last ends before the threshold.
    const qsizetype limit = std::min<qsizetype>(bytes.size(), minimumTransmissionLength);
    QList<qsizetype> cuts;
    const int count = m_random->bounded(5);
    for (int i = 0; i < count && limit > 1; ++i) {
        cuts.append(1 + m_random->bounded(int(limit - 1)));
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    cuts.append(bytes.size());

    QList<QByteArray> result;
    qsizetype from = 0;
    for (qsizetype cut : cuts) {
        if (cut > from) {
            result.append(bytes.mid(from, cut - from));
        }
        from = cut;
    }
    return result;
}
