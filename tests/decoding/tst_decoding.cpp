#include "Decoding.h"
#include "DeviceTables.h"
#include "Examples.h"

#include <QRandomGenerator>
#include <QTest>

#include <array>
#include <tuple>

Q_DECLARE_METATYPE(ListIndexes)

namespace {

constexpr int none = -1;
// The decoding leaves that list as it is.
constexpr std::nullopt_t untouched = std::nullopt;
// The slot's strength list before the decoding: no selection (or text typed into its field).
constexpr int noStrengthShown = none;

QString describe(std::optional<int> index)
{
    return index ? QString::number(*index) : QStringLiteral("untouched");
}

} // namespace

QString describe(const ListIndexes &s)
{
    return QStringLiteral("{kind %1, character %2, strength %3}")
        .arg(s.deviceKind)
        .arg(describe(s.character), describe(s.strength));
}

char *toString(const ListIndexes &s)
{
    return QTest::toString(describe(s));
}

// What the console must make of received bytes, transcribed from the device's tables into
// the test's own code: it shares nothing with the decoding (Decoding.cpp, DeviceTables.h), so
// that the two, compared on every key and on random texts, check each other.
namespace Expected {

// What a slot's device kind, character and strength lists show: a row, -1 for no selection,
// or `typed` for text typed into the field (no selection to the decoding, but a list that the
// decoding leaves alone keeps it).
using Rows = std::array<int, 3>;
constexpr int typed = -2;

// Device kind row 0: the character by the group (position 7) and the letter (position 2).
const std::tuple<char, char, int> letterTable[] = {
    {'0', 'C', 1},  {'0', 'E', 17}, {'1', 'A', 14}, {'1', 'D', 15},
    {'2', 'C', 11}, {'2', 'E', 18}, {'3', 'C', 19}, {'3', 'D', 12},
};
// Device kind row 1: by the first, second and third key (positions 5, 4, 3).
const std::tuple<char, char, char, int> keyTable[] = {
    {'0', '0', 'C', 6},  {'0', '0', 'F', 12}, {'0', '1', '2', 16}, {'0', '1', '4', 8},
    {'1', '0', 'C', 5},  {'1', '0', 'D', 13}, {'2', '0', 'D', 2},  {'2', '1', '0', 20},
    {'3', '0', 'C', 3},  {'3', '0', 'D', 10}, {'3', '1', '2', 21}, {'4', '0', 'C', 0},
    {'4', '0', 'D', 11}, {'4', '1', '0', 19}, {'4', '1', '4', 9},
};
// Device kind row 2: by the character digit (position 10) after a '2' at position 11.
const std::tuple<char, int> digitTable[] = {
    {'0', 0}, {'1', 3}, {'2', 2}, {'3', 6}, {'4', 5}, {'5', 4}, {'6', 7},
};

// A byte outside ASCII, and a position past the end, is no code that any rule knows.
constexpr int foreign = -1000;

int codeAt(const QByteArray &bytes, int position)
{
    if (position > bytes.size()) {
        return foreign;
    }
    const auto byte = static_cast<unsigned char>(bytes[position - 1]);
    return byte < 0x80 ? byte : foreign;
}

// A list takes a row or -1; any other index leaves it without a selection.
int within(int index, int rows)
{
    return index >= -1 && index < rows ? index : -1;
}

// The rows after decoding bytes into lists that showed `before`.
Rows decoded(const QByteArray &bytes, Rows before)
{
    auto [kind, character, strength] = before;
    kind = within(codeAt(bytes, 1) - '1', 4);
    if (kind == 0) {
        strength = within(codeAt(bytes, 3) - '0', 61);
        for (const auto &[group, letter, row] : letterTable) {
            if (codeAt(bytes, 7) == group && codeAt(bytes, 2) == letter) {
                character = row;
            }
        }
    } else if (kind == 1) {
        for (const auto &[first, second, third, row] : keyTable) {
            if (codeAt(bytes, 5) == first && codeAt(bytes, 4) == second
                && codeAt(bytes, 3) == third) {
                character = row;
            }
        }
    } else if (kind == 2) {
        strength = within(codeAt(bytes, 3) - '0', 61);
        for (const auto &[digit, row] : digitTable) {
            if (codeAt(bytes, 11) == '2' && codeAt(bytes, 10) == digit) {
                character = row;
            }
        }
    }
    // Every transmission ends with the strength correction, whatever showed before.
    if (strength > 9) {
        strength -= 7;
    }
    return {kind, character, strength};
}

} // namespace Expected

namespace {

QByteArray withAt(QByteArray text, int position, char c)
{
    text[position - 1] = c;
    return text;
}

// The first texts of each device kind in the table of edge cases.
const QByteArray firstKind0Text = exampleTransmission("kind 0, C group 0, strength 5").bytes;
const QByteArray firstKind1Text = exampleTransmission("kind 1, keys 0 0 C").bytes;
const QByteArray firstKind2Text = exampleTransmission("kind 2, digit 0, strength 7").bytes;
const QByteArray kind3Text = exampleTransmission("kind 3").bytes;
const QByteArray kind2WithoutCharacter = exampleTransmission("kind 2, position 11 not 2").bytes;

// One of decodes' tables, whose rows are named after it: each a text received while the slot's
// strength list showed `shownStrength`, and what the decoding sets.
struct Table
{
    const char *name;
    void operator()(const QString &row, const QByteArray &received, int shownStrength,
                    const ListIndexes &expected) const
    {
        QTest::addRow("%s: %s", name, qPrintable(row)) << received << shownStrength << expected;
    }
};

// What lists that showed `before` show once the console has set them as decoded.
Expected::Rows shownAfter(const ListIndexes &settings, Expected::Rows before)
{
    return {settings.deviceKind, settings.character.value_or(before[1]),
            settings.strength.value_or(before[2])};
}

QString describe(Expected::Rows rows)
{
    QStringList shown;
    for (const int row : rows) {
        shown += row == Expected::typed ? QStringLiteral("typed") : QString::number(row);
    }
    return QLatin1Char('{') + shown.join(QStringLiteral(", ")) + QLatin1Char('}');
}

// Compares the console's decoding of one text with the expected one; keeps the first few
// differences for the report.
void compare(const QByteArray &text, Expected::Rows before, QStringList *differences)
{
    const int shownStrength = before[2] == Expected::typed ? none : before[2];
    const Expected::Rows console = shownAfter(decodeTransmission(text, shownStrength), before);
    const Expected::Rows expected = Expected::decoded(text, before);
    if (console != expected && differences->size() < 10) {
        differences->append(QStringLiteral("text %1 into %2: console %3, expected %4")
                                .arg(QString::fromLatin1(text.toHex(' ')), describe(before),
                                     describe(console), describe(expected)));
    }
}

} // namespace

class TestDecoding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // One body for the tables of edge cases, selections made during the wait, indexes the
    // lists cannot take and texts shorter or longer than a transmission.
    void decodes_data();
    void decodes();
    void everyKeyDecodesAsExpected_data();
    void everyKeyDecodesAsExpected();
    void randomTextsDecodeAsExpected();

private:
    static void addIndexesTheListsCannotTakeRows();
};

void TestDecoding::decodes_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<int>("shownStrength");
    QTest::addColumn<ListIndexes>("expected");

    const Table edgeCases {"edgeCases"};
    for (const ExampleTransmission &example : exampleTransmissions()) {
        // Each is one whole transmission of 17 characters.
        QVERIFY2(example.bytes.size() == 17, example.name);
        edgeCases(QString::fromUtf8(example.name), example.bytes, noStrengthShown, example.decoded);
    }

    const Table selection {"selectionsMadeDuringTheWait"};
    selection("picked strength 20, kind 1 text", firstKind1Text, 20, {1, 6, 13});
    selection("picked strength 10, kind 3 text", kind3Text, 10, {3, untouched, 3});
    selection("picked strength 9, kind 3 text", kind3Text, 9, {3, untouched, untouched});
    selection("picked strength 60, device code 0", exampleTransmission("device code 0").bytes, 60,
              {none, untouched, 53});
    selection("picked strength replaced by the digit", firstKind0Text, 40, {0, 1, 5});
    // Text typed into a field leaves its list without a selection; the lists a text does
    // not set keep that text.
    selection("typed strength, kind 1 text", firstKind1Text, noStrengthShown, {1, 6, untouched});
    selection("typed character and strength, kind 3 text", kind3Text, noStrengthShown,
              {3, untouched, untouched});
    selection("typed character, kind 2 with 1 at position 11", kind2WithoutCharacter,
              noStrengthShown, {2, untouched, 7});
    selection("typed strength, strength digit slash", withAt(firstKind0Text, 3, '/'),
              noStrengthShown, {0, 1, none});

    addIndexesTheListsCannotTakeRows();

    const Table shortText {"shortTexts"};
    shortText("empty", {}, noStrengthShown, {none, untouched, untouched});
    shortText("empty, picked strength 20", {}, 20, {none, untouched, 13});
    shortText("kind 0 without strength digit", "1C", 20, {0, untouched, none});
    shortText("kind 0 without group", "1C5000", noStrengthShown, {0, untouched, 5});
    shortText("kind 0 up to the group", firstKind0Text.left(7), noStrengthShown, {0, 1, 5});
    shortText("kind 1 without keys", "2", noStrengthShown, {1, untouched, untouched});
    shortText("kind 1 without first key", "20C0", noStrengthShown, {1, untouched, untouched});
    shortText("kind 1 up to the first key", firstKind1Text.left(5), noStrengthShown,
              {1, 6, untouched});
    shortText("kind 2 without marker", firstKind2Text.left(10), noStrengthShown, {2, untouched, 7});
    shortText("kind 2 up to the marker (eleven characters)", firstKind2Text.left(11),
              noStrengthShown, {2, 0, 7});
    shortText("kind 2 without strength digit", "30", noStrengthShown, {2, untouched, none});
    shortText("kind 3 alone", "4", noStrengthShown, {3, untouched, untouched});

    // Nothing from position 12 on is read, whatever it holds.
    const Table longText {"longTexts"};
    longText("kind 0 and three characters more", firstKind0Text + "4X!", noStrengthShown,
             {0, 1, 5});
    longText("kind 0, 0xff from position 12 to 40",
             firstKind0Text.left(11) + QByteArray(29, '\xFF'), noStrengthShown, {0, 1, 5});
    longText("kind 2, a kind 0 text from position 12", firstKind2Text.left(11) + "3A0C1D",
             noStrengthShown, {2, 0, 7});
}

void TestDecoding::decodes()
{
    QFETCH(QByteArray, received);
    QFETCH(int, shownStrength);
    QFETCH(ListIndexes, expected);
    QCOMPARE(decodeTransmission(received, shownStrength), expected);
    // The expected decoding, worked out by hand here, says the same of lists with text typed
    // into every field the decoding may leave alone.
    const Expected::Rows before {Expected::typed, Expected::typed,
                                 shownStrength == none ? Expected::typed : shownStrength};
    QCOMPARE(describe(Expected::decoded(received, before)), describe(shownAfter(expected, before)));
}

void TestDecoding::addIndexesTheListsCannotTakeRows()
{
    const Table table {"indexesTheListsCannotTake"};
    const auto code = [](char c) {
        return int(static_cast<unsigned char>(c));
    };

    const int picked = 20;
    // A device code the list cannot take leaves no device kind and decodes nothing more,
    // but the strength adjustment still runs on the picked strength.
    for (const char c : {'5', '9', ':', '/', 'A', '\0', '\x7F', '\x80', '\xB1', '\xFF'}) {
        table(QString::asprintf("device code 0x%02x", code(c)), withAt(firstKind0Text, 1, c),
              picked, {none, untouched, 13});
    }
    // A strength digit the list cannot take leaves no strength; the character still decodes.
    for (const char c :
         {'m', 's', 't', 'z', '~', '\x7F', '.', ' ', '\0', '\x80', '\xB0', '\xE1', '\xFF'}) {
        table(QString::asprintf("kind 0 strength digit 0x%02x", code(c)),
              withAt(firstKind0Text, 3, c), picked, {0, 1, none});
        table(QString::asprintf("kind 2 strength digit 0x%02x", code(c)),
              withAt(firstKind2Text, 3, c), picked, {2, 0, none});
    }
    // A byte outside ASCII never matches, not even one whose low seven bits would.
    const struct
    {
        const char *what;
        const QByteArray &text;
        int position;
        ListIndexes expected;
    } highBitRows[] = {
        {"kind 0 letter C", firstKind0Text, 2, {0, untouched, 5}},
        {"kind 0 group 0", firstKind0Text, 7, {0, untouched, 5}},
        {"kind 1 third key C", firstKind1Text, 3, {1, untouched, untouched}},
        {"kind 1 first key 0", firstKind1Text, 5, {1, untouched, untouched}},
        {"kind 2 marker 2", firstKind2Text, 11, {2, untouched, 7}},
        {"kind 2 digit 0", firstKind2Text, 10, {2, untouched, 7}},
        {"device code 1", firstKind0Text, 1, {none, untouched, untouched}},
    };
    for (const auto &highBit : highBitRows) {
        const char plain = highBit.text.at(highBit.position - 1);
        table(QString::fromUtf8(highBit.what) + QStringLiteral(" with the high bit"),
              withAt(highBit.text, highBit.position, char(plain | 0x80)), noStrengthShown,
              highBit.expected);
    }
}

void TestDecoding::everyKeyDecodesAsExpected_data()
{
    // Every byte value at each of these positions together, in the text of a valid
    // transmission: what the tables hold, what lies next to it, and bytes outside ASCII.
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<int>>("positions");
    QTest::newRow("device code and strength digit") << firstKind0Text << QList<int> {1, 3};
    QTest::newRow("kind 0 group and letter") << firstKind0Text << QList<int> {7, 2};
    QTest::newRow("kind 1 keys") << firstKind1Text << QList<int> {5, 4, 3};
    QTest::newRow("kind 2 marker and digit") << firstKind2Text << QList<int> {11, 10};

    // The tables together name every character row: each character can be received.
    QList<int> named;
    const auto addRowsOf = [&named](const auto &table) {
        for (const auto &entry : table) {
            named += std::get<int>(entry);
        }
    };
    addRowsOf(Expected::letterTable);
    addRowsOf(Expected::keyTable);
    addRowsOf(Expected::digitTable);
    for (int character = 0; character < DeviceTables::characterRows; ++character) {
        QVERIFY2(named.contains(character), qPrintable(QString::number(character)));
    }
}

void TestDecoding::everyKeyDecodesAsExpected()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<int>, positions);

    QStringList differences;
    const qint64 combinations = qint64(1) << (8 * positions.size());
    for (qint64 i = 0; i < combinations; ++i) {
        for (int k = 0; k < positions.size(); ++k) {
            text[positions[k] - 1] = char(i >> (8 * k));
        }
        // The lists before: the device kind typed over, the character and the strength each
        // in turn typed over, without a selection, or at each of their rows.
        compare(text, {Expected::typed, int(i % 24) - 2, int(i % 63) - 2}, &differences);
    }
    QVERIFY2(differences.isEmpty(), qPrintable(differences.join(QLatin1Char('\n'))));
}

// Random texts of any length up to 40 into lists showing anything, each decoded after a
// different one: the console's decoding is a function of its inputs alone, whichever slot
// called it last and with what.
void TestDecoding::randomTextsDecodeAsExpected()
{
    QRandomGenerator random(20240617);
    QByteArray text;
    QStringList differences;
    for (int round = 0; round < 100000; ++round) {
        text.resize(random.bounded(41));
        for (char &byte : text) {
            // Mostly codes around the digits and letters, so that matches happen too.
            byte = random.bounded(4) == 0 ? char(random.bounded(256))
                                          : char('/' + random.bounded('m' - '/' + 1));
        }
        compare(text,
                {Expected::typed, int(random.bounded(DeviceTables::characterRows + 2)) - 2,
                 int(random.bounded(DeviceTables::strengthRows + 2)) - 2},
                &differences);
    }
    QVERIFY2(differences.isEmpty(), qPrintable(differences.join(QLatin1Char('\n'))));
}

QTEST_GUILESS_MAIN(TestDecoding)
#include "tst_decoding.moc"
