#include "Decoding.h"
#include "DeviceTables.h"
#include "Examples.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

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

// A row of one of decodes' tables, named after its table.
QTestData &row(const char *table, const QString &name)
{
    return QTest::addRow("%s: %s", table, qPrintable(name));
}

bool inList(int index, int rows)
{
    return index >= none && index < rows;
}

} // namespace

class TestDecoding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // One body for the tables of edge cases, selections made during the wait, indexes the
    // lists cannot take and short texts.
    void decodes_data();
    void decodes();
    void charactersAfterPosition17();
    void pureFunctionOfItsInputs();
    void elevenCharacters();
    void randomBytesStayWithinTheLists();
    void tablesReachEveryCharacterRow();
    void tablesHaveNoAmbiguousEntries();

private:
    static void addEdgeCaseRows();
    static void addSelectionsMadeDuringTheWaitRows();
    static void addIndexesTheListsCannotTakeRows();
    static void addShortTextRows();
};

void TestDecoding::decodes_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<int>("shownStrength");
    QTest::addColumn<ListIndexes>("expected");
    addEdgeCaseRows();
    addSelectionsMadeDuringTheWaitRows();
    addIndexesTheListsCannotTakeRows();
    addShortTextRows();
}

void TestDecoding::decodes()
{
    QFETCH(QByteArray, received);
    QFETCH(int, shownStrength);
    QFETCH(ListIndexes, expected);
    QCOMPARE(decodeTransmission(received, shownStrength), expected);
}

void TestDecoding::addEdgeCaseRows()
{
    for (const ExampleTransmission &example : exampleTransmissions()) {
        // Each is one whole transmission of 17 characters.
        QVERIFY2(example.bytes.size() == 17, example.name);
        row("edgeCases", QString::fromUtf8(example.name))
            << example.bytes << noStrengthShown << example.decoded;
    }
}

void TestDecoding::charactersAfterPosition17()
{
    const ListIndexes expected {0, 1, 5};
    QCOMPARE(decodeTransmission(firstKind0Text, noStrengthShown), expected);
    QCOMPARE(decodeTransmission(firstKind0Text + "4X!", noStrengthShown), expected);
    // Nothing from position 12 on is read, whatever it holds.
    QCOMPARE(decodeTransmission(firstKind0Text.left(11) + QByteArray(29, '\xFF'), noStrengthShown),
             expected);
    QCOMPARE(decodeTransmission(firstKind2Text.left(11) + "3A0C1D", noStrengthShown),
             (ListIndexes {2, 0, 7}));
}

// Both player slots decode through this one function; the result depends on the text and
// the strength handed in and on nothing left over from an earlier call.
void TestDecoding::pureFunctionOfItsInputs()
{
    const QList<QByteArray> texts
        = {firstKind0Text, firstKind1Text, firstKind2Text, kind3Text, kind2WithoutCharacter};
    const QList<int> starts = {noStrengthShown, 20, 60};
    QList<ListIndexes> firstRound;
    for (const QByteArray &text : texts) {
        for (const int start : starts) {
            firstRound.append(decodeTransmission(text, start));
        }
    }
    // Same calls in reverse order, with unrelated calls in between.
    int i = int(firstRound.size());
    for (auto text = texts.crbegin(); text != texts.crend(); ++text) {
        for (auto start = starts.crbegin(); start != starts.crend(); ++start) {
            decodeTransmission("4", 1);
            QCOMPARE(decodeTransmission(*text, *start), firstRound.at(--i));
        }
    }
    QCOMPARE(firstRound.first(), (ListIndexes {0, 1, 5}));
}

void TestDecoding::addSelectionsMadeDuringTheWaitRows()
{
    const char *const table = "selectionsMadeDuringTheWait";

    row(table, QStringLiteral("picked strength 20, kind 1 text"))
        << firstKind1Text << 20 << ListIndexes {1, 6, 13};
    row(table, QStringLiteral("picked strength 10, kind 3 text"))
        << kind3Text << 10 << ListIndexes {3, untouched, 3};
    row(table, QStringLiteral("picked strength 9, kind 3 text"))
        << kind3Text << 9 << ListIndexes {3, untouched, untouched};
    row(table, QStringLiteral("picked strength 60, device code 0"))
        << exampleTransmission("device code 0").bytes << 60 << ListIndexes {none, untouched, 53};
    row(table, QStringLiteral("picked strength replaced by the digit"))
        << firstKind0Text << 40 << ListIndexes {0, 1, 5};
    // Text typed into a field leaves its list without a selection; the lists a text does
    // not set keep that text.
    row(table, QStringLiteral("typed strength, kind 1 text"))
        << firstKind1Text << noStrengthShown << ListIndexes {1, 6, untouched};
    row(table, QStringLiteral("typed character and strength, kind 3 text"))
        << kind3Text << noStrengthShown << ListIndexes {3, untouched, untouched};
    row(table, QStringLiteral("typed character, kind 2 with 1 at position 11"))
        << kind2WithoutCharacter << noStrengthShown << ListIndexes {2, untouched, 7};
    row(table, QStringLiteral("typed strength, strength digit slash"))
        << withAt(firstKind0Text, 3, '/') << noStrengthShown << ListIndexes {0, 1, none};
}

void TestDecoding::elevenCharacters()
{
    const QByteArray text = firstKind2Text.left(11);
    QCOMPARE(text.size(), 11);
    QCOMPARE(decodeTransmission(text, noStrengthShown), (ListIndexes {2, 0, 7}));
}

void TestDecoding::addIndexesTheListsCannotTakeRows()
{
    const char *const table = "indexesTheListsCannotTake";

    const int picked = 20;
    // A device code the list cannot take leaves no device kind and decodes nothing more,
    // but the strength adjustment still runs on the picked strength.
    for (const char code : {'5', '9', ':', '/', 'A', '\0', '\x7F', '\x80', '\xB1', '\xFF'}) {
        row(table, QString::asprintf("device code 0x%02x", int(static_cast<unsigned char>(code))))
            << withAt(firstKind0Text, 1, code) << picked << ListIndexes {none, untouched, 13};
    }
    // A strength digit the list cannot take leaves no strength; the character still decodes.
    for (const char digit :
         {'m', 's', 't', 'z', '~', '\x7F', '.', ' ', '\0', '\x80', '\xB0', '\xE1', '\xFF'}) {
        row(table,
            QString::asprintf("kind 0 strength digit 0x%02x",
                              int(static_cast<unsigned char>(digit))))
            << withAt(firstKind0Text, 3, digit) << picked << ListIndexes {0, 1, none};
        row(table,
            QString::asprintf("kind 2 strength digit 0x%02x",
                              int(static_cast<unsigned char>(digit))))
            << withAt(firstKind2Text, 3, digit) << picked << ListIndexes {2, 0, none};
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
        row(table, QStringLiteral("%1 with the high bit").arg(QLatin1String(highBit.what)))
            << withAt(highBit.text, highBit.position, char(plain | 0x80)) << noStrengthShown
            << highBit.expected;
    }
}

void TestDecoding::addShortTextRows()
{
    const char *const table = "shortTexts";

    row(table, QStringLiteral("empty"))
        << QByteArray() << noStrengthShown << ListIndexes {none, untouched, untouched};
    row(table, QStringLiteral("empty, picked strength 20"))
        << QByteArray() << 20 << ListIndexes {none, untouched, 13};
    row(table, QStringLiteral("kind 0 without strength digit"))
        << QByteArray("1C") << 20 << ListIndexes {0, untouched, none};
    row(table, QStringLiteral("kind 0 without group"))
        << QByteArray("1C5000") << noStrengthShown << ListIndexes {0, untouched, 5};
    row(table, QStringLiteral("kind 0 up to the group"))
        << firstKind0Text.left(7) << noStrengthShown << ListIndexes {0, 1, 5};
    row(table, QStringLiteral("kind 1 without keys"))
        << QByteArray("2") << noStrengthShown << ListIndexes {1, untouched, untouched};
    row(table, QStringLiteral("kind 1 without first key"))
        << QByteArray("20C0") << noStrengthShown << ListIndexes {1, untouched, untouched};
    row(table, QStringLiteral("kind 1 up to the first key"))
        << firstKind1Text.left(5) << noStrengthShown << ListIndexes {1, 6, untouched};
    row(table, QStringLiteral("kind 2 without marker"))
        << firstKind2Text.left(10) << noStrengthShown << ListIndexes {2, untouched, 7};
    row(table, QStringLiteral("kind 2 without strength digit"))
        << QByteArray("30") << noStrengthShown << ListIndexes {2, untouched, none};
    row(table, QStringLiteral("kind 3 alone"))
        << QByteArray("4") << noStrengthShown << ListIndexes {3, untouched, untouched};
}

void TestDecoding::randomBytesStayWithinTheLists()
{
    using namespace DeviceTables;
    QRandomGenerator random(20240617);
    QByteArray text;
    QStringList failures;
    for (int round = 0; round < 100000; ++round) {
        text.resize(random.bounded(41));
        for (char &byte : text) {
            // Mostly codes around the digits and letters, so that matches happen too.
            byte = random.bounded(4) == 0 ? char(random.bounded(256))
                                          : char('/' + random.bounded('m' - '/' + 1));
        }
        const int picked = int(random.bounded(strengthRows + 1)) - 1;
        const ListIndexes decoded = decodeTransmission(text, picked);

        const auto check = [&](bool holds, const char *what) {
            if (!holds && failures.size() < 10) {
                failures.append(QStringLiteral("%1: text %2, strength %3, decoded %4")
                                    .arg(QLatin1String(what), QString::fromLatin1(text.toHex(' ')))
                                    .arg(picked)
                                    .arg(describe(decoded)));
            }
        };
        check(inList(decoded.deviceKind, deviceKindRows), "device kind outside its list");
        // A character is set only to one of its rows, never to no selection.
        check(decoded.character.value_or(0) >= 0
                  && inList(decoded.character.value_or(0), characterRows),
              "character outside its list");
        check(inList(decoded.strength.value_or(none), strengthRows), "strength outside its list");

        // The device code alone decides the device kind.
        const int code = text.isEmpty() ? 0 : static_cast<unsigned char>(text[0]);
        const int expectedKind = code >= '0' && code <= '4' ? code - '1' : none;
        check(decoded.deviceKind == expectedKind, "device kind not from the device code");
        // Kinds 1 and 3 and no kind leave the strength to the adjustment alone, which sets
        // it only when it lowers it.
        if (decoded.deviceKind != 0 && decoded.deviceKind != 2) {
            const std::optional<int> adjusted
                = picked > 9 ? std::optional<int>(picked - 7) : std::nullopt;
            check(decoded.strength == adjusted, "strength set without a strength digit");
        }
        // Kind 3 and no kind carry no character: the list is left alone.
        if (decoded.deviceKind == 3 || decoded.deviceKind == none) {
            check(!decoded.character, "character set without a character");
        }
        // A strength digit always sets the strength, and never to more than 53.
        if (decoded.deviceKind == 0 || decoded.deviceKind == 2) {
            check(decoded.strength && *decoded.strength <= highestTransmittedStrength,
                  "strength digit without a strength up to 53");
        }
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
}

void TestDecoding::tablesReachEveryCharacterRow()
{
    using namespace DeviceTables;
    QSet<int> kind0, kind1, kind2;
    for (const auto &entry : kind0Characters) {
        kind0.insert(entry.row);
    }
    for (const auto &entry : kind1Characters) {
        kind1.insert(entry.row);
    }
    for (const auto &entry : kind2Characters) {
        kind2.insert(entry.row);
    }
    QCOMPARE(kind0, (QSet<int> {1, 11, 12, 14, 15, 17, 18, 19}));
    QCOMPARE(kind1, (QSet<int> {0, 2, 3, 5, 6, 8, 9, 10, 11, 12, 13, 16, 19, 20, 21}));
    QCOMPARE(kind2, (QSet<int> {0, 2, 3, 4, 5, 6, 7}));

    QSet<int> all = kind0 + kind1 + kind2;
    QCOMPARE(all.size(), characterRows);
    for (int row = 0; row < characterRows; ++row) {
        QVERIFY2(all.contains(row), qPrintable(QString::number(row)));
    }
}

void TestDecoding::tablesHaveNoAmbiguousEntries()
{
    using namespace DeviceTables;
    QSet<QByteArray> keys;
    for (const auto &e : kind0Characters) {
        QVERIFY(e.group >= kind0FirstGroup && e.group <= kind0LastGroup);
        keys.insert(QByteArray().append(e.group).append(e.letter));
    }
    QCOMPARE(keys.size(), int(kind0Characters.size()));
    keys.clear();
    for (const auto &e : kind1Characters) {
        QVERIFY(e.first >= kind1FirstKeyLowest && e.first <= kind1FirstKeyHighest);
        QVERIFY(e.second >= kind1SecondKeyLowest && e.second <= kind1SecondKeyHighest);
        keys.insert(QByteArray().append(e.first).append(e.second).append(e.third));
    }
    QCOMPARE(keys.size(), int(kind1Characters.size()));
    keys.clear();
    for (const auto &e : kind2Characters) {
        keys.insert(QByteArray(1, e.digit));
    }
    QCOMPARE(keys.size(), int(kind2Characters.size()));
}

QTEST_GUILESS_MAIN(TestDecoding)
#include "tst_decoding.moc"
