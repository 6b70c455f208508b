#include "PseudoTerminal.h"

#include "SerialLine.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <array>

// scripts/test-windows names the pairs in KELMI_TEST_COM_PAIRS ("COM1:COM11,COM2:COM12":
// the console's end, then the device's) and the folder in KELMI_TEST_COM_CONTROL where a
// file "hangup-COM1" asks it to hang up that pair; it removes the file once the pair is
// back up.

namespace {

constexpr qsizetype maxPairs = 4;
std::array<bool, maxPairs> pairInUse {};

QString hangUpRequest(const QString &consoleEnd)
{
    return QDir(qEnvironmentVariable("KELMI_TEST_COM_CONTROL"))
        .filePath(QStringLiteral("hangup-") + consoleEnd);
}

// A pair that was just hung up comes back within a moment.
bool waitUntilGone(const QString &file)
{
    const QDeadlineTimer deadline(10000);
    while (QFile::exists(file) && !deadline.hasExpired()) {
        QThread::msleep(5);
    }
    return !QFile::exists(file);
}

bool openEnd(SerialLine &end, const QString &name)
{
    const QDeadlineTimer deadline(2000);
    while (!end.open(name) && !deadline.hasExpired()) {
        QThread::msleep(10);
    }
    return end.isOpen();
}

} // namespace

struct PseudoTerminal::Private
{
    qsizetype pair = -1;
    QString consoleEnd;
    SerialLine console; // held, never read: the console's input queue, as the line has it
    SerialLine device;
    QString errorString;
};

PseudoTerminal::PseudoTerminal()
    : d(std::make_unique<Private>())
{
    const QStringList pairs = qEnvironmentVariable("KELMI_TEST_COM_PAIRS").split(u',');
    for (qsizetype i = 0; i < qMin(pairs.size(), maxPairs); ++i) {
        if (!pairInUse[i] && pairs[i].count(u':') == 1) {
            d->pair = i;
            break;
        }
    }
    if (d->pair < 0) {
        d->errorString = QStringLiteral("no free COM port pair in KELMI_TEST_COM_PAIRS (\"%1\"); "
                                        "run the tests through scripts/test-windows")
                             .arg(pairs.join(u','));
        return;
    }
    pairInUse[d->pair] = true;
    d->consoleEnd = pairs[d->pair].section(u':', 0, 0);
    const QString deviceEnd = pairs[d->pair].section(u':', 1, 1);
    if (!waitUntilGone(hangUpRequest(d->consoleEnd))) {
        d->errorString = d->consoleEnd + QStringLiteral(" was not brought back after a hang-up");
    } else if (!openEnd(d->console, d->consoleEnd)) {
        d->errorString = d->consoleEnd + QStringLiteral(": ") + d->console.error().text;
    } else if (!openEnd(d->device, deviceEnd)) {
        d->errorString = deviceEnd + QStringLiteral(": ") + d->device.error().text;
    }
}

PseudoTerminal::~PseudoTerminal()
{
    d->console.close();
    d->device.close();
    if (d->pair >= 0) {
        pairInUse[d->pair] = false;
    }
}

bool PseudoTerminal::isOpen() const
{
    return d->console.isOpen() && d->device.isOpen();
}

QString PseudoTerminal::errorString() const
{
    return d->errorString;
}

QString PseudoTerminal::slavePath() const
{
    return d->consoleEnd;
}

bool PseudoTerminal::write(const QByteArray &bytes)
{
    return d->device.isOpen() && d->device.write(bytes);
}

qsizetype PseudoTerminal::pendingOnLine() const
{
    return isOpen() ? d->console.bytesAvailable() : -1;
}

QByteArray PseudoTerminal::waitForBytes(qsizetype count, int timeoutMs)
{
    QByteArray received = d->device.readAll();
    const QDeadlineTimer deadline(timeoutMs);
    while (d->device.isOpen() && received.size() < qMax<qsizetype>(count, 1)
           && !deadline.hasExpired()) {
        QThread::msleep(1);
        received += d->device.readAll();
    }
    return received;
}

void PseudoTerminal::closeMaster()
{
    if (!isOpen()) {
        return;
    }
    // socat ends the pair: both its pseudo-terminals hang up. The handles to them stay dead.
    QFile request(hangUpRequest(d->consoleEnd));
    if (request.open(QIODevice::WriteOnly)) {
        request.close();
        waitUntilGone(request.fileName());
    }
    d->console.close();
    d->device.close();
}
