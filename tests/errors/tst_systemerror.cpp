#include "KnownFailures.h"
#include "OperatorMessages.h"
#include "SystemError.h"

#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <iterator>

namespace {

using Kind = SystemError::Kind;

const char *const kindNames[] = {
    "Other",         "NotFound",      "NoDevice",     "AccessDenied",
    "NotPermitted",  "Busy",          "IoError",      "DiskFull",
    "QuotaExceeded", "FileTooLarge",  "ReadOnlyDisk", "IsFolder",
    "NotFolder",     "NameTooLong",   "LinkLoop",     "SettingsRefused",
    "LineLost",      "NotSerialPort", "FolderGone",   "ReadOnlyFile",
};
static_assert(std::size(kindNames) == Kind::ReadOnlyFile + 1);

// Kana or kanji: the console's own words.
bool isJapanese(const QString &text)
{
    return text.contains(
        QRegularExpression(QStringLiteral("[\\x{3040}-\\x{30FF}\\x{4E00}-\\x{9FFF}]")));
}

qsizetype rowsOf(int code)
{
    return std::ranges::count(knownFailures(), code, &KnownFailure::code);
}

} // namespace

class TestSystemError : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void codes_data();
    void codes();
    void kinds_data();
    void kinds();
};

// Every code of this platform's table, and the first code that it does not hold.
void TestSystemError::codes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<Kind>("kind");
    for (const KnownFailure &failure : knownFailures()) {
        QTest::addRow("code %d, %s", failure.code, kindNames[failure.kind])
            << failure.code << failure.kind;
    }
    int unknown = 1;
    while (rowsOf(unknown) > 0) {
        ++unknown;
    }
    QTest::addRow("code %d, not in the table", unknown) << unknown << Kind::Other;
}

// The operator reads the console's own words for a failure it knows, otherwise the system's.
void TestSystemError::codes()
{
    QFETCH(int, code);
    QFETCH(Kind, kind);

    QCOMPARE(rowsOf(code), kind == Kind::Other ? 0 : 1); // a second row would never be reached
    QVERIFY(kind < Kind::FolderGone); // the failures the console finds itself have no code
    const SystemError error = SystemError::fromCode(code);
    QCOMPARE(error.kind, kind);
    QCOMPARE(error.code, code);
    QCOMPARE(error.text, qt_error_string(code));
    const QString reason = failureReason(error);
    if (kind == Kind::Other) {
        QCOMPARE(reason, error.text);
        QVERIFY(!reason.isEmpty());
    } else {
        QVERIFY2(isJapanese(reason) && reason != error.text, qPrintable(reason));
    }
}

void TestSystemError::kinds_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("hasCode"); // some code of this platform's stands for it
    for (int kind = Kind::Other; kind <= Kind::ReadOnlyFile; ++kind) {
        // Other is any code the table does not hold; the console finds the last two itself.
        bool hasCode = kind != Kind::Other && kind < Kind::FolderGone;
#ifdef Q_OS_WIN
        // Windows reports none of these with a code of its own.
        hasCode = hasCode && kind != Kind::NoDevice && kind != Kind::NotPermitted
            && kind != Kind::QuotaExceeded && kind != Kind::FileTooLarge;
#endif
        QTest::newRow(kindNames[kind]) << Kind(kind) << hasCode;
    }
}

// Each kind has the operator's words of its own, no other kind's.
void TestSystemError::kinds()
{
    QFETCH(Kind, kind);
    QFETCH(bool, hasCode);

    QCOMPARE(std::ranges::count(knownFailures(), kind, &KnownFailure::kind) > 0, hasCode);
    if (kind == Kind::Other) {
        return; // its reason is the system's words (codes)
    }
    const QString reason = failureReason(SystemError::of(kind));
    QVERIFY2(isJapanese(reason), qPrintable(reason));
    for (int other = Kind::Other + 1; other <= Kind::ReadOnlyFile; ++other) {
        QVERIFY2(other == kind || failureReason(SystemError::of(Kind(other))) != reason,
                 qPrintable(reason));
    }
}

QTEST_GUILESS_MAIN(TestSystemError)
#include "tst_systemerror.moc"
