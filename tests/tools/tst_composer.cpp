#include "Decoding.h"
#include "DeviceTables.h"
#include "PseudoTerminal.h"
#include "TransmissionComposer.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <array>
#include <functional>
#include <optional>

using OptionalInt = std::optional<int>;
Q_DECLARE_METATYPE(OptionalInt)

namespace {

constexpr int none = -1;
// Generous limits for a child process on a loaded machine; they only stop a hung test.
constexpr int processTimeoutMs = 30000;
constexpr int lineTimeoutMs = 10000;

QString rowText(OptionalInt value)
{
    return value ? QString::number(*value) : QStringLiteral("none");
}

// The character rows that the decoding gives for a device kind, ascending: every printable
// character is tried at each position that the kind reads for its character, the other
// positions holding '0'.
QList<int> decodedCharacterRows(int kind)
{
    using namespace DeviceTables;
    const QList<QList<int>> characterPositions = {
        {kind0LetterPosition, kind0GroupPosition},
        {kind1FirstKeyPosition, kind1SecondKeyPosition, kind1ThirdKeyPosition},
        {kind2DigitPosition, kind2MarkerPosition},
        {}, // kind 3 carries no character
    };
    const QList<int> &positions = characterPositions.at(kind);
    QByteArray text(minimumTransmissionLength, '0');
    text[deviceCodePosition - 1] = char(firstDeviceCode + kind);
    QSet<int> rows;
    const std::function<void(qsizetype)> tryFrom = [&](qsizetype next) {
        if (next == positions.size()) {
            const ListIndexes decoded = decodeTransmission(text, none);
            if (decoded.deviceKind == kind && decoded.character) {
                rows.insert(*decoded.character);
            }
            return;
        }
        for (char c = ' '; c <= '~'; ++c) {
            text[positions.at(next) - 1] = c;
            tryFrom(next + 1);
        }
    };
    tryFrom(0);
    QList<int> sorted(rows.begin(), rows.end());
    std::ranges::sort(sorted);
    return sorted;
}

// The same, worked out once per test run.
const QList<int> &decodableRows(int kind)
{
    static const std::array<QList<int>, DeviceTables::deviceKindRows> rows {
        decodedCharacterRows(0), decodedCharacterRows(1), decodedCharacterRows(2),
        decodedCharacterRows(3)};
    return rows.at(std::size_t(kind));
}

QString devicePath()
{
    return QStringLiteral(KELMI_DEVICE_PATH);
}

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runDevice(const QStringList &arguments)
{
    QProcess process;
    process.start(devicePath(), arguments);
    Run run;
    if (!process.waitForFinished(processTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        run.err = "did not finish";
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace

class TestComposer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesToTheRequest_data();
    void decodesToTheRequest();
    void refusesWhatTheKindCannotCarry_data();
    void refusesWhatTheKindCannotCarry();
    void carriesTheRowsTheTablesDecode();

    void executable_data();
    void executable();
    void executableWaitsForAtBeforeSending();
    void executableHelpExplainsComposing();
};

void TestComposer::decodesToTheRequest_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<OptionalInt>("character");
    QTest::addColumn<OptionalInt>("strength");

    // Without a character every strength that a transmission carries, with one a few.
    QList<OptionalInt> everyStrength = {std::nullopt};
    for (int strength = 0; strength <= DeviceTables::highestTransmittedStrength; ++strength) {
        everyStrength.append(strength);
    }
    const QList<OptionalInt> someStrengths = {std::nullopt, 0, 9, 10, 35, 53};
    for (int kind = 0; kind < DeviceTables::deviceKindRows; ++kind) {
        QList<OptionalInt> characters = {std::nullopt};
        for (const int row : decodableRows(kind)) {
            characters.append(row);
        }
        const bool carriesStrength = kind == 0 || kind == 2;
        for (const OptionalInt character : characters) {
            for (const OptionalInt strength : character ? someStrengths : everyStrength) {
                if (strength && !carriesStrength) {
                    continue;
                }
                QTest::addRow("kind %d, character %s, strength %s", kind,
                              qPrintable(rowText(character)), qPrintable(rowText(strength)))
                    << kind << character << strength;
            }
        }
    }
}

void TestComposer::decodesToTheRequest()
{
    QFETCH(int, kind);
    QFETCH(OptionalInt, character);
    QFETCH(OptionalInt, strength);

    const ComposedTransmission composed = composeTransmission({kind, character, strength});
    QVERIFY2(composed.isValid(), qPrintable(composed.error));
    QVERIFY(composed.bytes.size() >= DeviceTables::minimumTransmissionLength);
    for (const char byte : composed.bytes) {
        QVERIFY2(byte > ' ' && byte < 0x7F, composed.bytes.constData());
    }
    const ListIndexes decoded = decodeTransmission(composed.bytes, none);
    QCOMPARE(decoded.deviceKind, kind);
    QCOMPARE(decoded.character.value_or(none), character.value_or(none));
    QCOMPARE(decoded.strength.value_or(none), strength.value_or(none));
}

void TestComposer::refusesWhatTheKindCannotCarry_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<OptionalInt>("character");
    QTest::addColumn<OptionalInt>("strength");
    QTest::addColumn<QString>("reason"); // a part of the message

    const OptionalInt no;
    QTest::newRow("kind 0, character 0") << 0 << OptionalInt(0) << no << "character row 0";
    QTest::newRow("kind 0, character 21")
        << 0 << OptionalInt(21) << OptionalInt(5) << "character row 21";
    QTest::newRow("kind 1, character 1") << 1 << OptionalInt(1) << no << "character row 1";
    QTest::newRow("kind 2, character 8")
        << 2 << OptionalInt(8) << OptionalInt(3) << "character row 8";
    QTest::newRow("kind 0, strength 54") << 0 << OptionalInt(1) << OptionalInt(54) << "at most 53";
    QTest::newRow("kind 2, strength 60") << 2 << no << OptionalInt(60) << "at most 53";
    QTest::newRow("kind 1, strength 0") << 1 << OptionalInt(6) << OptionalInt(0) << "no strength";
    QTest::newRow("kind 1, strength 20") << 1 << no << OptionalInt(20) << "no strength";
    QTest::newRow("kind 3, character 0") << 3 << OptionalInt(0) << no << "no character";
    QTest::newRow("kind 3, strength 5") << 3 << no << OptionalInt(5) << "no strength";
    QTest::newRow("kind 3, both") << 3 << OptionalInt(3) << OptionalInt(5) << "carries no";
    QTest::newRow("kind 4") << 4 << no << no << "device kind 4 is out of range";
    QTest::newRow("kind -1") << -1 << no << no << "device kind -1 is out of range";
    QTest::newRow("character 22") << 1 << OptionalInt(22) << no << "character row 22 is out";
    QTest::newRow("character -1") << 0 << OptionalInt(-1) << no << "character row -1 is out";
    QTest::newRow("strength 61") << 0 << no << OptionalInt(61) << "strength 61 is out";
    QTest::newRow("strength -1") << 2 << no << OptionalInt(-1) << "strength -1 is out";
}

void TestComposer::refusesWhatTheKindCannotCarry()
{
    QFETCH(int, kind);
    QFETCH(OptionalInt, character);
    QFETCH(OptionalInt, strength);
    QFETCH(QString, reason);

    const ComposedTransmission composed = composeTransmission({kind, character, strength});
    QVERIFY(!composed.isValid());
    QVERIFY(composed.bytes.isEmpty());
    QVERIFY2(composed.error.contains(reason), qPrintable(composed.error));
}

// Each kind carries exactly the character rows that its tables decode; the composer refuses the
// others.
void TestComposer::carriesTheRowsTheTablesDecode()
{
    for (int kind = 0; kind < DeviceTables::deviceKindRows; ++kind) {
        const QList<int> carried = decodableRows(kind);
        QCOMPARE(carriedCharacterRows(kind), carried);
        for (int row = 0; row < DeviceTables::characterRows; ++row) {
            QCOMPARE(composeTransmission({kind, row, {}}).isValid(), carried.contains(row));
        }
    }
    QVERIFY(carriedCharacterRows(3).isEmpty());
}

void TestComposer::executable_data()
{
    QTest::addColumn<QString>("port"); // empty: a pseudo-terminal's, whose far end is read
    QTest::addColumn<QStringList>("arguments"); // after the port
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said"); // a part of its standard error
    QTest::addColumn<QByteArray>("sent"); // what the line gets

    const QString pseudoTerminal; // the port: the test's own line
    const auto refuses = [&](const char *name, const QStringList &arguments, const char *reason) {
        QTest::addRow("refuses %s", name)
            << pseudoTerminal << arguments << 1 << reason << QByteArray();
    };
    refuses("strength for kind 1", {"--kind", "1", "--strength", "5"}, "no strength");
    refuses("character for kind 3", {"--kind", "3", "--character", "0"}, "no character");
    refuses("character kind 0 lacks", {"--kind", "0", "--character", "0"},
            "cannot carry character row 0");
    refuses("strength 54", {"--kind", "2", "--strength", "54"}, "at most 53");
    refuses("kind 9", {"--kind", "9"}, "out of range");
    refuses("kind not a number", {"--kind", "one"}, "--kind needs");
    refuses("raw with kind", {"--raw", "1C5", "--kind", "0"}, "cannot be combined");
    refuses("character without kind", {"--raw", "1", "--character", "1"}, "need --kind");
    refuses("nothing to send", {}, "nothing to send");
    refuses("empty raw text", {"--raw", ""}, "nothing to send");
    refuses("odd hex", {"--hex", "313"}, "--hex needs");
    refuses("timeout without wait-at", {"--kind", "3", "--timeout", "5"},
            "--timeout needs --wait-at");

    const auto sends = [&](const char *name, const QStringList &arguments, const QByteArray &sent) {
        QTest::addRow("sends %s", name) << pseudoTerminal << arguments << 0 << QString() << sent;
    };
    sends("kind 0, character 1, strength 5", {"--kind", "0", "--character", "1", "--strength", "5"},
          composeTransmission({0, 1, 5}).bytes);
    sends("kind 1, character 21", {"--kind", "1", "--character", "21"},
          composeTransmission({1, 21, {}}).bytes);
    sends("kind 2, strength 53", {"--kind", "2", "--strength", "53"},
          composeTransmission({2, {}, 53}).bytes);
    sends("kind 3", {"--kind", "3"}, composeTransmission({3, {}, {}}).bytes);
    sends("raw text as it stands", {"--raw", "1C5 <b>&\r"}, "1C5 <b>&\r");
    sends("raw UTF-8 text", {"--raw", QStringLiteral("1\uFF71")}, "1\xEF\xBD\xB1");
    sends("hex bytes", {"--hex", "31 b1 00 FF"}, QByteArray("1\xB1\0\xFF", 4));

    QTest::newRow("gives up waiting for AT CR after the timeout")
        << pseudoTerminal << QStringList {"--wait-at", "--timeout", "200", "--kind", "3"} << 3
        << "no AT CR" << QByteArray();
    QTest::newRow("reports a port it cannot open")
        << QStringLiteral("/nonexistent/kelmi-port") << QStringList {"--kind", "3"} << 2
        << "cannot open /nonexistent/kelmi-port" << QByteArray();
}

void TestComposer::executable()
{
    QFETCH(QString, port);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QFETCH(QByteArray, sent);

    PseudoTerminal line;
    QVERIFY2(line.isOpen(), qPrintable(line.errorString()));
    const Run run = runDevice(QStringList {port.isEmpty() ? line.slavePath() : port} + arguments);
    const QString error = QString::fromLocal8Bit(run.err);
    QVERIFY2(run.exitCode == exitCode, qPrintable(error));
    QVERIFY2(error.contains(said), qPrintable(error));
    if (!sent.isEmpty()) {
        QCOMPARE(line.waitForBytes(sent.size(), lineTimeoutMs), sent);
        QVERIFY2(run.out.contains(sent.toHex(' ').toUpper()), run.out.constData());
    }
    QCOMPARE(line.waitForBytes(1, 200), QByteArray()); // nothing (more)
    if (exitCode == 1) {
        // The request refused, the port was not even opened.
        QVERIFY2(!error.contains(QStringLiteral("cannot open")), qPrintable(error));
        QVERIFY(run.out.isEmpty());
    }
}

void TestComposer::executableWaitsForAtBeforeSending()
{
    PseudoTerminal line;
    QVERIFY2(line.isOpen(), qPrintable(line.errorString()));
    const QByteArray expected = composeTransmission({2, 7, 10}).bytes;

    QProcess process;
    process.start(
        devicePath(),
        {line.slavePath(), "--wait-at", "--kind", "2", "--character", "7", "--strength", "10"});
    QByteArray out;
    const QDeadlineTimer deadline(processTimeoutMs);
    while (!out.contains("Waiting for AT CR") && !deadline.hasExpired()
           && process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(100);
        out += process.readAllStandardOutput();
    }
    QVERIFY2(out.contains("Waiting for AT CR"), process.readAllStandardError().constData());

    // Nothing before the console's greeting is complete, not even after a bare "AT" or noise.
    QCOMPARE(line.waitForBytes(1, 200), QByteArray());
    QVERIFY(line.write("xx\rAT"));
    QCOMPARE(line.waitForBytes(1, 300), QByteArray());
    QCOMPARE(process.state(), QProcess::Running);

    QVERIFY(line.write("\r"));
    QCOMPARE(line.waitForBytes(expected.size(), lineTimeoutMs), expected);
    QVERIFY(process.waitForFinished(processTimeoutMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(line.waitForBytes(1, 100), QByteArray());
}

void TestComposer::executableHelpExplainsComposing()
{
    const Run run = runDevice({"--help"});
    QCOMPARE(run.exitCode, 0);
    for (const char *topic : {"--raw", "--kind", "--character", "--strength", "--wait-at",
                              "--timeout", "socat", "9600", "kind 3: neither"}) {
        QVERIFY2(run.out.contains(topic), topic);
    }
}

QTEST_GUILESS_MAIN(TestComposer)
#include "tst_composer.moc"
