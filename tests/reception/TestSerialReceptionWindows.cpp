#include "TestSerialReception.h"

#include "PortDiagnosis.h"
#include "SerialLine.h"
#include "SerialPortList.h"

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

private Q_SLOTS:
    void presentPorts();
    void openFailureByCode_data();
    void openFailureByCode();
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

QTEST_GUILESS_MAIN(TestSerialReceptionWindows)
#include "TestSerialReceptionWindows.moc"
