// kelmi-device: plays a handheld device on a serial port, for rehearsing the console.

#include "DeviceTables.h"
#include "PlayerSlot.h"
#include "TransmissionComposer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QSerialPort>
#include <QStandardPaths>
#include <QStringList>
#include <QTextStream>

#include <optional>

namespace {

enum ExitCode { Sent = 0, Refused = 1, PortFailed = 2, TimedOut = 3 };

// How long writing a transmission of a few bytes at 9600 baud may take before we give up.
constexpr int writeTimeoutMs = 5000;

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

int fail(ExitCode code, const QString &message)
{
    err() << "kelmi-device: " << message << Qt::endl;
    return code;
}

// How to run a program that sits beside this one: by its name where PATH finds it there (as
// installed), otherwise by its path (as in a build folder).
QString command(const QString &program)
{
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(program);
    if (QStandardPaths::findExecutable(program) == beside) {
        return program;
    }
    const QString relative = QDir::current().relativeFilePath(beside);
    return relative.startsWith(QLatin1String("..")) ? beside : relative;
}

QString description()
{
    using namespace DeviceTables;
    // %1 transmission length, %2 highest strength, %3..%5 rows carried by kinds 0..2, %6 the
    // console's command, %7 this one's.
    static const char text[]
        = R"(Plays a handheld device on a serial port, to rehearse the kelmi console without hardware.
Opens PORT at 9600 baud, 8 data bits, no parity, 1 stop bit, no flow control, sends one transmission, prints what it sent (as text and hex) and exits.

What to send, exactly one of:
  --raw TEXT  TEXT as it stands: the bytes of its local 8-bit form (UTF-8 here), no line end added.
              Fewer than %1 bytes leave the console waiting.
  --hex HEX   the bytes written in hexadecimal, e.g. "31 43 35 B1".
  --kind K    a transmission composed so that the console selects device kind K,
              character row C (--character) and strength S (--strength).

Composing: position 1 holds the device code '1'+K. Kind 0 puts the strength digit at
position 3 and the character's letter and group at positions 2 and 7; kind 1 puts the
character's three keys at positions 5, 4 and 3; kind 2 puts the strength digit at 3, the
character digit at 10 and '2' at 11. Every other position holds '0', %1 bytes in all.
The codes come from the console's own decoding tables. An omitted --character or
--strength makes the console select none ('/' as the strength digit, a character that
matches nothing). Strength digits: '0'..'9' give 0..9, 'A'..'l' give 10..%2.
What each device kind carries:
  kind 0: character rows %3; strength 0..%2
  kind 1: character rows %4; no strength
  kind 2: character rows %5; strength 0..%2
  kind 3: neither character nor strength
A request the kind cannot carry is refused with a message: nothing is sent and PORT is
not opened.

Exit status: 0 sent; 1 invalid or refused request; 2 serial port failure; 3 --timeout
expired before the console's AT CR arrived.

Rehearsal with a pair of socat pseudo-terminals per player, the console on one end of each:
  socat pty,raw,echo=0,link=/tmp/kelmi-port1 pty,raw,echo=0,link=/tmp/kelmi-device1 &
  socat pty,raw,echo=0,link=/tmp/kelmi-port2 pty,raw,echo=0,link=/tmp/kelmi-device2 &
  KELMI_PORT1=/tmp/kelmi-port1 KELMI_PORT2=/tmp/kelmi-port2 %6 &
Click the console's port 1 button, then:
  %7 /tmp/kelmi-device1 --kind 0 --character 1 --strength 5
Port 2 greets the device with AT CR first, so its device waits for the greeting: start it,
then click the port 2 button:
  %7 /tmp/kelmi-device2 --wait-at --kind 2 --character 7 --strength 10
To end the rehearsal, close the console and stop the pairs: kill $(jobs -p))";
    return QString::fromUtf8(text)
        .arg(minimumTransmissionLength)
        .arg(highestTransmittedStrength)
        .arg(carriedCharacterRowsText(0), carriedCharacterRowsText(1), carriedCharacterRowsText(2),
             command(QStringLiteral("kelmi")), command(QStringLiteral("kelmi-device")));
}

// Printable form of the sent bytes: ASCII as is, everything else escaped.
QString escaped(const QByteArray &bytes)
{
    QString text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\\') {
            text += QStringLiteral("\\\\");
        } else if (byte >= 0x20 && byte < 0x7F) {
            text += QChar(char16_t(byte));
        } else if (byte == '\r') {
            text += QStringLiteral("\\r");
        } else if (byte == '\n') {
            text += QStringLiteral("\\n");
        } else {
            text += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
        }
    }
    return text;
}

std::optional<int> wholeNumber(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

struct Options
{
    QString portName;
    QByteArray bytes;
    bool waitForAt = false;
    std::optional<int> waitTimeoutMs; // none: wait for AT CR as long as it takes
};

// The command line's options, as QCommandLineParser knows them.
struct CommandLine
{
    QCommandLineOption raw {QStringLiteral("raw"), QStringLiteral("Send TEXT as it stands."),
                            QStringLiteral("TEXT")};
    QCommandLineOption hex {QStringLiteral("hex"),
                            QStringLiteral("Send the bytes written in hexadecimal."),
                            QStringLiteral("HEX")};
    QCommandLineOption kind {QStringLiteral("kind"),
                             QStringLiteral("Compose a transmission of device kind row K (0..3)."),
                             QStringLiteral("K")};
    QCommandLineOption character {QStringLiteral("character"),
                                  QStringLiteral("With --kind: character row C (0..21)."),
                                  QStringLiteral("C")};
    QCommandLineOption strength {
        QStringLiteral("strength"),
        QStringLiteral("With --kind: strength S (0..60; a strength digit gives 0..53)."),
        QStringLiteral("S")};
    QCommandLineOption waitAt {QStringLiteral("wait-at"),
                               QStringLiteral("Wait for the console's \"AT\" CR before sending.")};
    QCommandLineOption timeout {QStringLiteral("timeout"),
                                QStringLiteral("With --wait-at: give up after MS milliseconds."),
                                QStringLiteral("MS")};

    void addTo(QCommandLineParser &parser) const
    {
        parser.addOptions({raw, hex, kind, character, strength, waitAt, timeout});
    }
};

// Composes the transmission that --kind, --character and --strength ask for.
QString composeFrom(const QCommandLineParser &parser, const CommandLine &line, QByteArray &bytes)
{
    TransmissionRequest request;
    const auto kind = wholeNumber(parser.value(line.kind));
    if (!kind) {
        return QStringLiteral("--kind needs a device kind row 0..3");
    }
    request.deviceKind = *kind;
    if (parser.isSet(line.character)) {
        request.character = wholeNumber(parser.value(line.character));
        if (!request.character) {
            return QStringLiteral("--character needs a character row 0..21");
        }
    }
    if (parser.isSet(line.strength)) {
        request.strength = wholeNumber(parser.value(line.strength));
        if (!request.strength) {
            return QStringLiteral("--strength needs a strength 0..60");
        }
    }
    const ComposedTransmission composed = composeTransmission(request);
    if (!composed.isValid()) {
        return QStringLiteral("refused: ") + composed.error;
    }
    bytes = composed.bytes;
    return {};
}

// Reads the command line into what to send; returns the reason when it cannot.
QString readOptions(const QCommandLineParser &parser, const CommandLine &line, Options &options)
{
    const QStringList ports = parser.positionalArguments();
    if (ports.size() != 1) {
        return QStringLiteral("give exactly one PORT (see --help)");
    }
    options.portName = ports.first();

    const int modes
        = int(parser.isSet(line.raw)) + int(parser.isSet(line.hex)) + int(parser.isSet(line.kind));
    if (modes == 0) {
        return QStringLiteral("nothing to send: give --raw, --hex or --kind (see --help)");
    }
    if (modes > 1) {
        return QStringLiteral("--raw, --hex and --kind cannot be combined");
    }
    if (!parser.isSet(line.kind) && (parser.isSet(line.character) || parser.isSet(line.strength))) {
        return QStringLiteral("--character and --strength need --kind");
    }
    if (parser.isSet(line.timeout) && !parser.isSet(line.waitAt)) {
        return QStringLiteral("--timeout needs --wait-at");
    }

    options.waitForAt = parser.isSet(line.waitAt);
    if (parser.isSet(line.timeout)) {
        options.waitTimeoutMs = wholeNumber(parser.value(line.timeout));
        if (!options.waitTimeoutMs || *options.waitTimeoutMs <= 0) {
            return QStringLiteral("--timeout needs a positive number of milliseconds");
        }
    }

    if (parser.isSet(line.raw)) {
        options.bytes = parser.value(line.raw).toLocal8Bit();
    } else if (parser.isSet(line.hex)) {
        const QByteArray digits = parser.value(line.hex).remove(QLatin1Char(' ')).toLatin1();
        options.bytes = QByteArray::fromHex(digits);
        if (options.bytes.toHex() != digits.toLower()) {
            return QStringLiteral("--hex needs pairs of hexadecimal digits, e.g. \"31 43 35\"");
        }
    } else if (const QString problem = composeFrom(parser, line, options.bytes);
               !problem.isEmpty()) {
        return problem;
    }
    if (options.bytes.isEmpty()) {
        return QStringLiteral("nothing to send: the text is empty");
    }
    return {};
}

// Waits until the console's "AT" CR has arrived; false with the reason otherwise.
bool waitForAt(QSerialPort &port, QDeadlineTimer deadline, QString &reason, ExitCode &code)
{
    const QByteArray greeting = slotFacts(PlayerSlot::Two).greeting.toByteArray();
    QByteArray received; // only the tail that may begin a greeting split across reads
    for (;;) {
        if (!port.waitForReadyRead(int(deadline.remainingTime()))) {
            if (port.error() == QSerialPort::TimeoutError) {
                reason = QStringLiteral("no AT CR arrived on %1 in time").arg(port.portName());
                code = TimedOut;
            } else {
                reason = QStringLiteral("reading %1 failed: %2")
                             .arg(port.portName(), port.errorString());
                code = PortFailed;
            }
            return false;
        }
        received += port.readAll();
        if (received.contains(greeting)) {
            return true;
        }
        received = received.right(greeting.size() - 1);
    }
}

int run(const Options &options)
{
    QSerialPort port;
    port.setPortName(options.portName);
    port.setBaudRate(LineSettings::baudRate);
    port.setDataBits(QSerialPort::DataBits(LineSettings::dataBits));
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::StopBits(LineSettings::stopBits));
    port.setFlowControl(QSerialPort::NoFlowControl);
    if (!port.open(QIODevice::ReadWrite)) {
        return fail(PortFailed,
                    QStringLiteral("cannot open %1: %2").arg(options.portName, port.errorString()));
    }

    if (options.waitForAt) {
        out() << "Waiting for AT CR on " << options.portName << Qt::endl;
        const QDeadlineTimer deadline = options.waitTimeoutMs
            ? QDeadlineTimer(*options.waitTimeoutMs)
            : QDeadlineTimer(QDeadlineTimer::Forever);
        QString reason;
        ExitCode code = PortFailed;
        if (!waitForAt(port, deadline, reason, code)) {
            return fail(code, reason);
        }
    }

    if (port.write(options.bytes) != options.bytes.size()
        || !port.waitForBytesWritten(writeTimeoutMs)) {
        return fail(
            PortFailed,
            QStringLiteral("writing to %1 failed: %2").arg(options.portName, port.errorString()));
    }
    port.close();

    out() << "Sent " << options.bytes.size() << " bytes to " << options.portName << Qt::endl
          << "text: " << escaped(options.bytes) << Qt::endl
          << "hex:  " << QString::fromLatin1(options.bytes.toHex(' ').toUpper()) << Qt::endl;
    return Sent;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kelmi-device"));

    QCommandLineParser parser;
    parser.setApplicationDescription(description());
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("PORT"),
                                 QStringLiteral("Serial port to send on, e.g. /dev/ttyUSB0 or a "
                                                "pseudo-terminal such as /dev/pts/3."));
    const CommandLine line;
    line.addTo(parser);
    parser.process(app);

    Options options;
    if (const QString problem = readOptions(parser, line, options); !problem.isEmpty()) {
        return fail(Refused, problem);
    }
    return run(options);
}
