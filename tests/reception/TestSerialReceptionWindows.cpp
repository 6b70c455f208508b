#include "TestSerialReception.h"

#include "PortDiagnosis.h"
#include "SerialLine.h"

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
    QString heldBy(const QString &program) const override;
    QString missingDeviceHint(int portNumber) const override;

private Q_SLOTS:
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
                          "Windows refuses it with ERROR_ACCESS_DENIED, whose message "
                          "openFailureByCode checks");
}

QString TestSerialReceptionWindows::heldBy(const QString &) const
{
    // Windows refuses a second program without saying which program holds the port.
    return QString();
}

QString TestSerialReceptionWindows::missingDeviceHint(int) const
{
    return QStringLiteral("デバイス マネージャーのポート番号を確かめてください。");
}

void TestSerialReceptionWindows::openFailureByCode_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message"); // %1: the port's name

    QTest::newRow("no such port")
        << int(ERROR_FILE_NOT_FOUND)
        << QStringLiteral("ポート１が見つかりません: %1\nケーブルやアダプターの接続と、"
                          "デバイス マネージャーのポート番号を確かめてください。");
    QTest::newRow("held by another program")
        << int(ERROR_ACCESS_DENIED)
        << QStringLiteral("ポート１は他のプログラムが使用中です: %1\n"
                          "そのプログラムを終了してから、もう一度「ポート１」を押してください。");
    QTest::newRow("no serial port")
        << int(ERROR_INVALID_FUNCTION)
        << QStringLiteral("ポート１を開けません: %1: シリアルポートではありません");
}

void TestSerialReceptionWindows::openFailureByCode()
{
    QFETCH(int, code);
    QFETCH(QString, message);
    QCOMPARE(
        openFailureMessage(PlayerSlot::One, QStringLiteral("COM3"), SystemError::fromCode(code)),
        message.arg(QStringLiteral("COM3")));
}

QTEST_GUILESS_MAIN(TestSerialReceptionWindows)
#include "TestSerialReceptionWindows.moc"
