#include "KnownFailureRows.h"
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
    QTest::addColumn<SystemError::Kind>("kind");
    addKnownFailureRows();
}

// Which of the failures that the operator is told in words of their own each code is.
void TestSystemError::operatorReasons()
{
    QFETCH(int, code);
    QFETCH(SystemError::Kind, kind);

    const SystemError error = SystemError::fromCode(code);
    QCOMPARE(error.kind, kind);
    QCOMPARE(error.text, qt_error_string(code));
}

QTEST_GUILESS_MAIN(TestSystemError)
#include "tst_systemerror.moc"
