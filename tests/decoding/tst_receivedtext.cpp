#include "ReceivedText.h"

#include <QStringDecoder>
#include <QTest>

class TestReceivedText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oneCharacterPerByte_data();
    void oneCharacterPerByte();
    void everyAsciiByteAsShown();
    void halfWidthKatakanaAsCodePage932GivesThem();
    void everyOtherByteIsAReplacementCharacter();
};

void TestReceivedText::oneCharacterPerByte_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("transmission") << QByteArray("1C500000000000000")
                                  << QStringLiteral("1C500000000000000");
    QTest::newRow("markup stays text")
        << QByteArray("<b>x</b>&amp;") << QStringLiteral("<b>x</b>&amp;");
    QTest::newRow("NUL and controls")
        << QByteArray("1\0\r\n\x1b\x7f", 6) << QStringLiteral("1␀␍␊␛␡");
    QTest::newRow("first half-width katakana") << QByteArray("\xA1") << QStringLiteral("\uFF61");
    QTest::newRow("half-width a") << QByteArray("\xB1") << QStringLiteral("\uFF71");
    QTest::newRow("last half-width katakana") << QByteArray("\xDF") << QStringLiteral("\uFF9F");
    QTest::newRow("0x80") << QByteArray("\x80") << QStringLiteral("\uFFFD");
    QTest::newRow("0xA0") << QByteArray("\xA0") << QStringLiteral("\uFFFD");
    QTest::newRow("0xE0") << QByteArray("\xE0") << QStringLiteral("\uFFFD");
    QTest::newRow("0xFF") << QByteArray("\xFF") << QStringLiteral("\uFFFD");
    // A double-byte lead and trail of code page 932 still give one character per byte.
    QTest::newRow("double-byte pair") << QByteArray("\x83\x5F") << QStringLiteral("\uFFFD_");
    QTest::newRow("mixed") << QByteArray("1\xB1\x81Z") << QStringLiteral("1\uFF71\uFFFDZ");
}

void TestReceivedText::oneCharacterPerByte()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const QString text = receivedText(bytes);
    QCOMPARE(text.size(), bytes.size());
    QCOMPARE(text, expected);
}

// Printable ASCII as it is; control characters as the pictures U+2400..U+241F, DEL as U+2421.
void TestReceivedText::everyAsciiByteAsShown()
{
    for (int byte = 0; byte < 0x80; ++byte) {
        const QString text = receivedText(QByteArray(1, char(byte)));
        QCOMPARE(text.size(), 1);
        const char16_t shown = byte < 0x20 ? 0x2400 + byte : byte == 0x7F ? 0x2421 : byte;
        QCOMPARE(text.at(0).unicode(), shown);
    }
}

void TestReceivedText::halfWidthKatakanaAsCodePage932GivesThem()
{
    // Where Qt has a Shift_JIS decoder (built with ICU), it must agree byte for byte.
    QStringDecoder shiftJis("Shift_JIS");
    for (int byte = 0xA1; byte <= 0xDF; ++byte) {
        const QByteArray bytes(1, char(byte));
        const QString text = receivedText(bytes);
        QCOMPARE(text.size(), 1);
        QCOMPARE(text.at(0).unicode(), char16_t(0xFF61 + byte - 0xA1));
        if (shiftJis.isValid()) {
            QCOMPARE(text, shiftJis.decode(bytes));
        }
    }
}

void TestReceivedText::everyOtherByteIsAReplacementCharacter()
{
    for (int byte = 0x80; byte < 0x100; ++byte) {
        if (byte >= 0xA1 && byte <= 0xDF) {
            continue;
        }
        QCOMPARE(receivedText(QByteArray(1, char(byte))), QString(QChar::ReplacementCharacter));
    }
}

QTEST_GUILESS_MAIN(TestReceivedText)
#include "tst_receivedtext.moc"
