#include "TransmissionComposer.h"

#include "DeviceTables.h"

#include <QStringList>

#include <algorithm>

using namespace DeviceTables;

namespace {

// Fills every position that the device kind leaves unused.
constexpr char padding = '0';
static_assert(padding != kind2CharacterMarker, "padding must not announce a kind 2 character");

// Characters that make the decoding skip the character: a kind 0 group and a kind 1 first
// key just past the accepted ones.
constexpr char noKind0Group = kind0LastGroup + 1;
constexpr char noKind1FirstKey = kind1FirstKeyHighest + 1;

void put(QByteArray &bytes, int position, char code)
{
    bytes[position - 1] = code;
}

// Inverse of the strength digit: '/' for none, '0'..'9' for 0..9, 'A'..'l' for 10..53.
char strengthDigit(std::optional<int> strength)
{
    if (!strength) {
        return lowestStrengthDigit;
    }
    if (*strength <= strengthAdjustmentThreshold) {
        return char(strengthDigitBase + *strength);
    }
    return char(strengthDigitBase + *strength + strengthAdjustment);
}

ComposedTransmission refusal(const QString &reason)
{
    return {{}, reason};
}

ComposedTransmission uncarriedCharacter(const TransmissionRequest &request)
{
    return refusal(QStringLiteral("device kind %1 cannot carry character row %2; "
                                  "it carries character rows %3")
                       .arg(request.deviceKind)
                       .arg(*request.character)
                       .arg(carriedCharacterRowsText(request.deviceKind)));
}

// Checks what holds for every kind: the rows exist and the strength fits a digit.
QString rangeError(const TransmissionRequest &request)
{
    if (request.deviceKind < 0 || request.deviceKind >= deviceKindRows) {
        return QStringLiteral("device kind %1 is out of range: it must be 0 to %2")
            .arg(request.deviceKind)
            .arg(deviceKindRows - 1);
    }
    if (request.character && (*request.character < 0 || *request.character >= characterRows)) {
        return QStringLiteral("character row %1 is out of range: it must be 0 to %2")
            .arg(*request.character)
            .arg(characterRows - 1);
    }
    if (request.strength && (*request.strength < 0 || *request.strength >= strengthRows)) {
        return QStringLiteral("strength %1 is out of range: it must be 0 to %2")
            .arg(*request.strength)
            .arg(strengthRows - 1);
    }
    return {};
}

// The table's entry for a character row that the caller knows the kind carries.
template<class Table> const auto &entryOf(const Table &table, int row)
{
    return *std::ranges::find(table, row, &std::ranges::range_value_t<Table>::row);
}

// The character's codes; the caller has checked that the kind carries it.
void putCharacter(QByteArray &bytes, int kind, std::optional<int> character)
{
    if (kind == 0 && !character) {
        put(bytes, kind0GroupPosition, noKind0Group);
    } else if (kind == 0) {
        const GroupLetterRow &entry = entryOf(kind0Characters, *character);
        put(bytes, kind0GroupPosition, entry.group);
        put(bytes, kind0LetterPosition, entry.letter);
    } else if (kind == 1 && !character) {
        put(bytes, kind1FirstKeyPosition, noKind1FirstKey);
    } else if (kind == 1) {
        const KeysRow &entry = entryOf(kind1Characters, *character);
        put(bytes, kind1FirstKeyPosition, entry.first);
        put(bytes, kind1SecondKeyPosition, entry.second);
        put(bytes, kind1ThirdKeyPosition, entry.third);
    } else if (kind == 2 && character) {
        put(bytes, kind2MarkerPosition, kind2CharacterMarker);
        put(bytes, kind2DigitPosition, entryOf(kind2Characters, *character).digit);
    } // kind 2 without a character: padding at position 11 announces none; kind 3: none
}

} // namespace

ComposedTransmission composeTransmission(const TransmissionRequest &request)
{
    if (const QString error = rangeError(request); !error.isEmpty()) {
        return refusal(error);
    }
    const int kind = request.deviceKind;
    if (kind == 3 && request.character) {
        return refusal(QStringLiteral("device kind 3 carries no character; leave out the "
                                      "character and pick it by hand in the console"));
    }
    if ((kind == 1 || kind == 3) && request.strength) {
        return refusal(QStringLiteral("device kind %1 carries no strength; leave out the "
                                      "strength and pick it by hand in the console")
                           .arg(kind));
    }
    if (request.strength && *request.strength > highestTransmittedStrength) {
        return refusal(QStringLiteral("strength %1 cannot be transmitted: a strength digit "
                                      "gives at most %2")
                           .arg(*request.strength)
                           .arg(highestTransmittedStrength));
    }

    if (request.character && !carriedCharacterRows(kind).contains(*request.character)) {
        return uncarriedCharacter(request);
    }

    QByteArray bytes(minimumTransmissionLength, padding);
    put(bytes, deviceCodePosition, char(firstDeviceCode + kind));
    if (kind == 0 || kind == 2) {
        put(bytes, strengthDigitPosition, strengthDigit(request.strength));
    }
    putCharacter(bytes, kind, request.character);
    return {bytes, {}};
}

QList<int> carriedCharacterRows(int deviceKind)
{
    QList<int> rows;
    const auto collect = [&rows](const auto &table) {
        for (const auto &entry : table) {
            rows.append(entry.row);
        }
    };
    switch (deviceKind) {
    case 0:
        collect(kind0Characters);
        break;
    case 1:
        collect(kind1Characters);
        break;
    case 2:
        collect(kind2Characters);
        break;
    default:
        break;
    }
    std::ranges::sort(rows);
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

QString carriedCharacterRowsText(int deviceKind)
{
    QStringList texts;
    for (const int row : carriedCharacterRows(deviceKind)) {
        texts.append(QString::number(row));
    }
    return texts.isEmpty() ? QStringLiteral("none") : texts.join(QStringLiteral(", "));
}
