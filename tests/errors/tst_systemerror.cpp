#include "OperatorReasonRows.h"
#include "SystemError.h"

#include <QTest>

class TestSystemError : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void operatorReasons_data();
    void operatorReasons();
};

void TestSystemError::operatorReasons_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("reason"); // empty: the system's own words
    addOperatorReasonRows();
}

void TestSystemError::operatorReasons()
{
    QFETCH(int, code);
    QFETCH(QString, reason);

    const SystemError error = SystemError::fromCode(code);
    QCOMPARE(operatorReason(error), reason.isEmpty() ? qt_error_string(code) : reason);
    // Qt reports some failures in the system's words only; they are recognised all the same.
    QCOMPARE(operatorReason(SystemError::fromText(error.text)), operatorReason(error));
}

QTEST_GUILESS_MAIN(TestSystemError)
#include "tst_systemerror.moc"
