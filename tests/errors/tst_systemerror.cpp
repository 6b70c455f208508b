#include "KnownFailureRows.h"
#include "SystemError.h"

#include <QTest>

class TestSystemError : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void knownFailures_data();
    void knownFailures();
};

void TestSystemError::knownFailures_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<SystemError::Kind>("kind");
    addKnownFailureRows();
}

void TestSystemError::knownFailures()
{
    QFETCH(int, code);
    QFETCH(SystemError::Kind, kind);

    const SystemError error = SystemError::fromCode(code);
    QCOMPARE(error.kind, kind);
    QCOMPARE(error.text, qt_error_string(code));
    // Qt reports some failures in the system's words only; they are recognised all the same.
    const SystemError fromText = SystemError::fromText(error.text);
    QCOMPARE(fromText.kind, kind);
    QCOMPARE(fromText.text, error.text);
}

QTEST_GUILESS_MAIN(TestSystemError)
#include "tst_systemerror.moc"
