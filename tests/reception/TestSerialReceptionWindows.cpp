#include "TestSerialReception.h"

#include "LineLossWindows.h"
#include "PortFailure.h"
#include "SerialLine.h"
#include "SerialPortList.h"

#include <QSignalSpy>
#include <QTest>

#include <windows.h>

// Windows' own ways to refuse a port, by the codes the system reports.
class TestSerialReceptionWindows : public TestSerialReception
{
    Q_OBJECT

protected:
    QString machinePortName(int portNumber) const override;
    QString whyHeldPortsOpen(const QString &path) const override;
    void forgetLocksOf(const QString &) override { } // Windows keeps no lock files
    QString holderNamed(const QString &) const override { return QString(); }
    // What Wine answers once the pseudo-terminal behind a COM port has hung up (its pair's
    // socat ended): EIO from the terminal, ERROR_NOT_READY to the program.
    std::optional<int> hangUpCode() const override { return ERROR_NOT_READY; }

private Q_SLOTS:
    void presentPorts();
    void openFailureByCode_data();
    void openFailureByCode();
    void openLineFailureByCode_data();
    void openLineFailureByCode();
    void lineGoneAtEachCall_data();
    void lineGoneAtEachCall();
};

QString TestSerialReceptionWindows::machinePortName(int portNumber) const
{
    return QStringLiteral("COM%1").arg(portNumber);
}

QString TestSerialReceptionWindows::whyHeldPortsOpen(const QString &path) const
{
    if (!SerialLine().open(path)) {
        return QString();
    }
    return QStringLiteral("Wine lets a second program open a COM port that another holds; "
                          "Windows refuses it with ERROR_ACCESS_DENIED, whose diagnosis "
                          "openFailureByCode checks");
}

// A missing port's message names the COM ports the system lists, as an operator counts them:
// here the pairs that the test's serial lines are made of.
void TestSerialReceptionWindows::presentPorts()
{
    const QStringList ports = presentSerialPorts();
    const QStringList ours {QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM11"),
                            QStringLiteral("COM12")};
    QStringList found;
    for (const QString &port : ports) {
        if (ours.contains(port)) {
            found += port;
        }
    }
    QCOMPARE(found, ours);
}

void TestSerialReceptionWindows::openFailureByCode_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<PortFailure::Kind>("kind");

    QTest::newRow("no such port") << int(ERROR_FILE_NOT_FOUND) << PortFailure::Missing;
    QTest::newRow("held by another program") << int(ERROR_ACCESS_DENIED) << PortFailure::Held;
    QTest::newRow("no serial port") << int(ERROR_INVALID_FUNCTION) << PortFailure::NotSerialPort;
}

void TestSerialReceptionWindows::openFailureByCode()
{
    QFETCH(int, code);
    QFETCH(PortFailure::Kind, kind);
    const PortFailure failure
        = diagnoseOpenFailure(QStringLiteral("COM3"), SystemError::fromCode(code));
    QCOMPARE(failure.kind, kind);
    QCOMPARE(failure.error.code, code);
}

// The codes with which a call on an open port fails once its adapter has been pulled or its
// far end has gone (HACKING.md names the driver or report behind each) are the line lost,
// whatever they mean at an open; the others keep their kind. Code and words stay the system's.
void TestSerialReceptionWindows::openLineFailureByCode_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<SystemError::Kind>("kind");

    const SystemError::Kind lost = SystemError::LineLost;
    QTest::newRow("WDM driver, removal begun") << int(ERROR_ACCESS_DENIED) << lost;
    QTest::newRow("KMDF driver's purged queue (usbser.sys)") << int(ERROR_BAD_COMMAND) << lost;
    QTest::newRow("request pending at the removal") << int(ERROR_OPERATION_ABORTED) << lost;
    QTest::newRow("vendor's driver fails") << int(ERROR_GEN_FAILURE) << lost;
    QTest::newRow("no such device") << int(ERROR_FILE_NOT_FOUND) << lost;
    QTest::newRow("device not connected") << int(ERROR_DEVICE_NOT_CONNECTED) << lost;
    QTest::newRow("device removed") << int(ERROR_DEVICE_REMOVED) << lost;
    QTest::newRow("handle's device torn down") << int(ERROR_INVALID_HANDLE) << lost;
    QTest::newRow("Wine, pseudo-terminal hung up") << int(ERROR_NOT_READY) << lost;
    QTest::newRow("read finds the end of the line") << int(ERROR_HANDLE_EOF) << lost;
    QTest::newRow("write timed out") << int(ERROR_TIMEOUT) << SystemError::Other;
    QTest::newRow("settings refused")
        << int(ERROR_INVALID_PARAMETER) << SystemError::SettingsRefused;
}

void TestSerialReceptionWindows::openLineFailureByCode()
{
    QFETCH(int, code);
    QFETCH(SystemError::Kind, kind);
    const SystemError failure = openLineFailure(code);
    QCOMPARE(failure.kind, kind);
    QCOMPARE(failure.code, code);
    QCOMPARE(failure.text, qt_error_string(code));
}

// The pseudo-terminal behind an open port goes away (its pair's socat ended, as a pulled adapter
// takes its COM port along): whichever call of the line meets it first reports the line lost,
// once, with what Wine answers, and lets the port go; calling again reports nothing more.
void TestSerialReceptionWindows::lineGoneAtEachCall_data()
{
    QTest::addColumn<QString>("call");
    QTest::newRow("queue count (ClearCommError)") << QStringLiteral("count");
    QTest::newRow("read (ClearCommError, ReadFile)") << QStringLiteral("read");
    QTest::newRow("write (WriteFile)") << QStringLiteral("write");
}

void TestSerialReceptionWindows::lineGoneAtEachCall()
{
    QFETCH(QString, call);

    SerialLine port;
    QVERIFY2(port.open(line(1).slavePath()), qPrintable(port.error().text));
    QVERIFY(line(1).deliver("1C500"));
    QSignalSpy failures(&port, &SerialLine::failed);
    line(1).closeMaster();

    for (int attempt = 0; attempt < 2; ++attempt) {
        if (call == QLatin1String("count")) {
            QCOMPARE(port.bytesAvailable(), 0);
        } else if (call == QLatin1String("read")) {
            QCOMPARE(port.readAll(), QByteArray());
        } else {
            QVERIFY(!port.write("AT\r"));
        }
        QCOMPARE(failures.size(), 1);
        QVERIFY(!port.isOpen());
        QCOMPARE(port.error(), openLineFailure(ERROR_NOT_READY));
    }
    // Nothing looks at the dead port any more.
    QTest::qWait(30);
    QCOMPARE(failures.size(), 1);
}

QTEST_GUILESS_MAIN(TestSerialReceptionWindows)
#include "TestSerialReceptionWindows.moc"
