#include "Decoding.h"
#include "DeviceTables.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

Q_DECLARE_METATYPE(DeviceSelection)

QString describe(const DeviceSelection &s)
{
    return QStringLiteral("{kind %1, character %2, strength %3}")
        .arg(s.deviceKind)
        .arg(s.character)
        .arg(s.strength);
}

char *toString(const DeviceSelection &s)
{
    return QTest::toString(describe(s));
}

namespace {

constexpr int none = -1;
constexpr DeviceSelection nothingSelected {};

// A 17-character transmission: the given characters at positions 1, 2, 3, 4, 5, 7, 10 and
// 11, and '0' everywhere else.
QByteArray transmission(char p1, char p2, char p3, char p4, char p5, char p7, char p10, char p11)
{
    QByteArray text(17, '0');
    text[0] = p1;
    text[1] = p2;
    text[2] = p3;
    text[3] = p4;
    text[4] = p5;
    text[6] = p7;
    text[9] = p10;
    text[10] = p11;
    return text;
}

QByteArray withAt(QByteArray text, int position, char c)
{
    text[position - 1] = c;
    return text;
}

// The first texts of each device kind in the table of edge cases.
const QByteArray firstKind0Text = transmission('1', 'C', '5', '0', '0', '0', '0', '0');
const QByteArray firstKind1Text = transmission('2', '0', 'C', '0', '0', '0', '0', '0');
const QByteArray firstKind2Text = transmission('3', '0', '7', '0', '0', '0', '0', '2');
const QByteArray kind3Text = transmission('4', '0', '0', '0', '0', '0', '0', '0');
const QByteArray kind2WithoutCharacter = transmission('3', '0', '7', '0', '0', '0', '0', '1');

bool inList(int index, int rows)
{
    return index >= none && index < rows;
}

} // namespace

class TestDecoding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void edgeCases_data();
    void edgeCases();
    void charactersAfterPosition17();
    void pureFunctionOfItsInputs();
    void selectionsMadeDuringTheWait_data();
    void selectionsMadeDuringTheWait();
    void elevenCharacters();
    void indexesTheListsCannotTake_data();
    void indexesTheListsCannotTake();
    void shortTexts_data();
    void shortTexts();
    void randomBytesStayWithinTheLists();
    void tablesReachEveryCharacterRow();
    void tablesHaveNoAmbiguousEntries();
};

void TestDecoding::edgeCases_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<DeviceSelection>("expected");

    // kind 0: letter at 2, strength digit at 3, group at 7
    QTest::newRow("kind 0, C group 0, strength 5")
        << transmission('1', 'C', '5', '0', '0', '0', '0', '0') << DeviceSelection {0, 1, 5};
    QTest::newRow("kind 0, A group 1, strength Z")
        << transmission('1', 'A', 'Z', '0', '0', '1', '0', '0') << DeviceSelection {0, 14, 35};
    QTest::newRow("kind 0, D group 3, strength 9")
        << transmission('1', 'D', '9', '0', '0', '3', '0', '0') << DeviceSelection {0, 12, 9};
    QTest::newRow("kind 0, E group 2, strength G")
        << transmission('1', 'E', 'G', '0', '0', '2', '0', '0') << DeviceSelection {0, 18, 16};
    QTest::newRow("kind 0, strength colon")
        << transmission('1', 'C', ':', '0', '0', '0', '0', '0') << DeviceSelection {0, 1, 3};
    QTest::newRow("kind 0, strength l")
        << transmission('1', 'C', 'l', '0', '0', '0', '0', '0') << DeviceSelection {0, 1, 53};
    QTest::newRow("kind 0, strength slash")
        << transmission('1', 'C', '/', '0', '0', '0', '0', '0') << DeviceSelection {0, 1, none};
    QTest::newRow("kind 0, pair not in the table")
        << transmission('1', 'E', '0', '0', '0', '3', '0', '0') << DeviceSelection {0, none, 0};
    QTest::newRow("kind 0, lower-case letter")
        << transmission('1', 'c', '5', '0', '0', '0', '0', '0') << DeviceSelection {0, none, 5};
    QTest::newRow("kind 0, group 4")
        << transmission('1', 'C', '5', '0', '0', '4', '0', '0') << DeviceSelection {0, none, 5};

    // kind 1: keys at 5, 4, 3; no strength
    QTest::newRow("kind 1, keys 0 0 C")
        << transmission('2', '0', 'C', '0', '0', '0', '0', '0') << DeviceSelection {1, 6, none};
    QTest::newRow("kind 1, keys 4 1 4")
        << transmission('2', '0', '4', '1', '4', '0', '0', '0') << DeviceSelection {1, 9, none};
    QTest::newRow("kind 1, keys 3 1 2")
        << transmission('2', '0', '2', '1', '3', '0', '0', '0') << DeviceSelection {1, 21, none};
    QTest::newRow("kind 1, keys 1 0 D")
        << transmission('2', '0', 'D', '0', '1', '0', '0', '0') << DeviceSelection {1, 13, none};
    QTest::newRow("kind 1, second key 1 after first key 1")
        << transmission('2', '0', 'C', '1', '1', '0', '0', '0') << DeviceSelection {1, none, none};

    // kind 2: strength digit at 3, character digit at 10 announced by '2' at 11
    QTest::newRow("kind 2, digit 0, strength 7")
        << transmission('3', '0', '7', '0', '0', '0', '0', '2') << DeviceSelection {2, 0, 7};
    QTest::newRow("kind 2, digit 6, strength A")
        << transmission('3', '0', 'A', '0', '0', '0', '6', '2') << DeviceSelection {2, 7, 10};
    QTest::newRow("kind 2, position 11 not 2")
        << transmission('3', '0', '7', '0', '0', '0', '0', '1') << DeviceSelection {2, none, 7};
    QTest::newRow("kind 2, digit 7")
        << transmission('3', '0', '7', '0', '0', '0', '7', '2') << DeviceSelection {2, none, 7};

    QTest::newRow("kind 3") << transmission('4', '0', '0', '0', '0', '0', '0', '0')
                            << DeviceSelection {3, none, none};
    QTest::newRow("device code 0") << transmission('0', '0', '0', '0', '0', '0', '0', '0')
                                   << DeviceSelection {none, none, none};
}

void TestDecoding::edgeCases()
{
    QFETCH(QByteArray, received);
    QFETCH(DeviceSelection, expected);
    QCOMPARE(received.size(), 17);
    QCOMPARE(decodeTransmission(received, nothingSelected), expected);
}

void TestDecoding::charactersAfterPosition17()
{
    const DeviceSelection expected {0, 1, 5};
    QCOMPARE(decodeTransmission(firstKind0Text, nothingSelected), expected);
    QCOMPARE(decodeTransmission(firstKind0Text + "4X!", nothingSelected), expected);
    // Nothing from position 12 on is read, whatever it holds.
    QCOMPARE(decodeTransmission(firstKind0Text.left(11) + QByteArray(29, '\xFF'), nothingSelected),
             expected);
    QCOMPARE(decodeTransmission(firstKind2Text.left(11) + "3A0C1D", nothingSelected),
             (DeviceSelection {2, 0, 7}));
}

// Both player slots decode through this one function; the result depends on the text and
// the lists handed in and on nothing left over from an earlier call.
void TestDecoding::pureFunctionOfItsInputs()
{
    const QList<QByteArray> texts
        = {firstKind0Text, firstKind1Text, firstKind2Text, kind3Text, kind2WithoutCharacter};
    const QList<DeviceSelection> starts = {nothingSelected, {3, 4, 20}, {0, 21, 60}};
    QList<DeviceSelection> firstRound;
    for (const QByteArray &text : texts) {
        for (const DeviceSelection &start : starts) {
            firstRound.append(decodeTransmission(text, start));
        }
    }
    // Same calls in reverse order, with unrelated calls in between.
    int i = int(firstRound.size());
    for (auto text = texts.crbegin(); text != texts.crend(); ++text) {
        for (auto start = starts.crbegin(); start != starts.crend(); ++start) {
            decodeTransmission("4", {1, 1, 1});
            QCOMPARE(decodeTransmission(*text, *start), firstRound.at(--i));
        }
    }
    QCOMPARE(firstRound.first(), (DeviceSelection {0, 1, 5}));
}

void TestDecoding::selectionsMadeDuringTheWait_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<DeviceSelection>("picked");
    QTest::addColumn<DeviceSelection>("expected");

    QTest::newRow("picked strength 20, kind 1 text")
        << firstKind1Text << DeviceSelection {none, none, 20} << DeviceSelection {1, 6, 13};
    QTest::newRow("picked strength 10, kind 3 text")
        << kind3Text << DeviceSelection {none, none, 10} << DeviceSelection {3, none, 3};
    QTest::newRow("picked strength 9, kind 3 text")
        << kind3Text << DeviceSelection {none, none, 9} << DeviceSelection {3, none, 9};
    QTest::newRow("picked strength 60, device code 0")
        << transmission('0', '0', '0', '0', '0', '0', '0', '0') << DeviceSelection {none, none, 60}
        << DeviceSelection {none, none, 53};
    QTest::newRow("picked strength replaced by the digit")
        << firstKind0Text << DeviceSelection {none, none, 40} << DeviceSelection {0, 1, 5};
    QTest::newRow("picked character kept, kind 2 with 1 at position 11")
        << kind2WithoutCharacter << DeviceSelection {none, 4, none} << DeviceSelection {2, 4, 7};
    QTest::newRow("picked character kept, kind 3")
        << kind3Text << DeviceSelection {none, 15, 2} << DeviceSelection {3, 15, 2};
    QTest::newRow("picked character replaced, kind 0")
        << firstKind0Text << DeviceSelection {none, 4, none} << DeviceSelection {0, 1, 5};
    QTest::newRow("picked character replaced, kind 2")
        << firstKind2Text << DeviceSelection {none, 4, none} << DeviceSelection {2, 0, 7};
    QTest::newRow("picked device kind replaced")
        << kind3Text << DeviceSelection {1, none, none} << DeviceSelection {3, none, none};
}

void TestDecoding::selectionsMadeDuringTheWait()
{
    QFETCH(QByteArray, received);
    QFETCH(DeviceSelection, picked);
    QFETCH(DeviceSelection, expected);
    QCOMPARE(decodeTransmission(received, picked), expected);
}

void TestDecoding::elevenCharacters()
{
    const QByteArray text = firstKind2Text.left(11);
    QCOMPARE(text.size(), 11);
    QCOMPARE(decodeTransmission(text, nothingSelected), (DeviceSelection {2, 0, 7}));
}

void TestDecoding::indexesTheListsCannotTake_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<DeviceSelection>("picked");
    QTest::addColumn<DeviceSelection>("expected");

    const DeviceSelection pickedAll {2, 4, 20};
    // A device code the list cannot take leaves no device kind and decodes nothing more,
    // but the strength adjustment still runs on the picked strength.
    for (const char code : {'5', '9', ':', '/', 'A', '\0', '\x7F', '\x80', '\xB1', '\xFF'}) {
        QTest::addRow("device code 0x%02x", int(static_cast<unsigned char>(code)))
            << withAt(firstKind0Text, 1, code) << pickedAll << DeviceSelection {none, 4, 13};
    }
    // A strength digit the list cannot take leaves no strength; the character still decodes.
    for (const char digit :
         {'m', 's', 't', 'z', '~', '\x7F', '.', ' ', '\0', '\x80', '\xB0', '\xE1', '\xFF'}) {
        QTest::addRow("kind 0 strength digit 0x%02x", int(static_cast<unsigned char>(digit)))
            << withAt(firstKind0Text, 3, digit) << pickedAll << DeviceSelection {0, 1, none};
        QTest::addRow("kind 2 strength digit 0x%02x", int(static_cast<unsigned char>(digit)))
            << withAt(firstKind2Text, 3, digit) << pickedAll << DeviceSelection {2, 0, none};
    }
    // A byte outside ASCII never matches, not even one whose low seven bits would.
    QTest::newRow("kind 0 letter C with the high bit")
        << withAt(firstKind0Text, 2, char('C' | 0x80)) << nothingSelected
        << DeviceSelection {0, none, 5};
    QTest::newRow("kind 0 group 0 with the high bit")
        << withAt(firstKind0Text, 7, char('0' | 0x80)) << nothingSelected
        << DeviceSelection {0, none, 5};
    QTest::newRow("kind 1 third key C with the high bit")
        << withAt(firstKind1Text, 3, char('C' | 0x80)) << nothingSelected
        << DeviceSelection {1, none, none};
    QTest::newRow("kind 1 first key 0 with the high bit")
        << withAt(firstKind1Text, 5, char('0' | 0x80)) << nothingSelected
        << DeviceSelection {1, none, none};
    QTest::newRow("kind 2 marker 2 with the high bit")
        << withAt(firstKind2Text, 11, char('2' | 0x80)) << nothingSelected
        << DeviceSelection {2, none, 7};
    QTest::newRow("kind 2 digit 0 with the high bit")
        << withAt(firstKind2Text, 10, char('0' | 0x80)) << nothingSelected
        << DeviceSelection {2, none, 7};
    QTest::newRow("device code 1 with the high bit")
        << withAt(firstKind0Text, 1, char('1' | 0x80)) << nothingSelected
        << DeviceSelection {none, none, none};
}

void TestDecoding::indexesTheListsCannotTake()
{
    QFETCH(QByteArray, received);
    QFETCH(DeviceSelection, picked);
    QFETCH(DeviceSelection, expected);
    QCOMPARE(decodeTransmission(received, picked), expected);
}

void TestDecoding::shortTexts_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<DeviceSelection>("picked");
    QTest::addColumn<DeviceSelection>("expected");

    QTest::newRow("empty") << QByteArray() << nothingSelected << nothingSelected;
    QTest::newRow("empty, picked strength 20")
        << QByteArray() << DeviceSelection {1, 4, 20} << DeviceSelection {none, 4, 13};
    QTest::newRow("kind 0 without strength digit")
        << QByteArray("1C") << DeviceSelection {0, 4, 20} << DeviceSelection {0, 4, none};
    QTest::newRow("kind 0 without group")
        << QByteArray("1C5000") << nothingSelected << DeviceSelection {0, none, 5};
    QTest::newRow("kind 0 up to the group")
        << firstKind0Text.left(7) << nothingSelected << DeviceSelection {0, 1, 5};
    QTest::newRow("kind 1 without keys")
        << QByteArray("2") << nothingSelected << DeviceSelection {1, none, none};
    QTest::newRow("kind 1 without first key")
        << QByteArray("20C0") << nothingSelected << DeviceSelection {1, none, none};
    QTest::newRow("kind 1 up to the first key")
        << firstKind1Text.left(5) << nothingSelected << DeviceSelection {1, 6, none};
    QTest::newRow("kind 2 without marker")
        << firstKind2Text.left(10) << nothingSelected << DeviceSelection {2, none, 7};
    QTest::newRow("kind 2 without strength digit")
        << QByteArray("30") << nothingSelected << DeviceSelection {2, none, none};
    QTest::newRow("kind 3 alone") << QByteArray("4") << nothingSelected
                                  << DeviceSelection {3, none, none};
}

void TestDecoding::shortTexts()
{
    QFETCH(QByteArray, received);
    QFETCH(DeviceSelection, picked);
    QFETCH(DeviceSelection, expected);
    QCOMPARE(decodeTransmission(received, picked), expected);
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
        const DeviceSelection picked {int(random.bounded(deviceKindRows + 1)) - 1,
                                      int(random.bounded(characterRows + 1)) - 1,
                                      int(random.bounded(strengthRows + 1)) - 1};
        const DeviceSelection decoded = decodeTransmission(text, picked);

        const auto check = [&](bool holds, const char *what) {
            if (!holds && failures.size() < 10) {
                failures.append(QStringLiteral("%1: text %2, picked %3, decoded %4")
                                    .arg(QLatin1String(what), QString::fromLatin1(text.toHex(' ')),
                                         describe(picked), describe(decoded)));
            }
        };
        check(inList(decoded.deviceKind, deviceKindRows), "device kind outside its list");
        check(inList(decoded.character, characterRows), "character outside its list");
        check(inList(decoded.strength, strengthRows), "strength outside its list");

        // The device code alone decides the device kind.
        const int code = text.isEmpty() ? 0 : static_cast<unsigned char>(text[0]);
        const int expectedKind = code >= '0' && code <= '4' ? code - '1' : none;
        check(decoded.deviceKind == expectedKind, "device kind not from the device code");
        // Kinds 1 and 3 and no kind leave the strength to the adjustment alone.
        if (decoded.deviceKind != 0 && decoded.deviceKind != 2) {
            const int adjusted = picked.strength > 9 ? picked.strength - 7 : picked.strength;
            check(decoded.strength == adjusted, "strength set without a strength digit");
        }
        // Kind 3 and no kind carry no character: the picked one stays.
        if (decoded.deviceKind == 3 || decoded.deviceKind == none) {
            check(decoded.character == picked.character, "character set without a character");
        }
        // A strength digit never gives more than 53.
        if (decoded.deviceKind == 0 || decoded.deviceKind == 2) {
            check(decoded.strength <= highestTransmittedStrength, "strength above 53");
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
