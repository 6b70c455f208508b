#include "ReceivedText.h"

namespace {

constexpr unsigned char firstHalfWidthKatakana = 0xA1;
constexpr unsigned char lastHalfWidthKatakana = 0xDF;
constexpr char16_t halfWidthKatakanaBase = 0xFF61; // code page 932's 0xA1

QChar characterFor(unsigned char byte)
{
    if (byte < 0x80) {
        return QChar(char16_t(byte));
    }
    if (byte >= firstHalfWidthKatakana && byte <= lastHalfWidthKatakana) {
        return QChar(char16_t(halfWidthKatakanaBase + (byte - firstHalfWidthKatakana)));
    }
    return QChar(QChar::ReplacementCharacter);
}

} // namespace

QString receivedText(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        text.append(characterFor(static_cast<unsigned char>(byte)));
    }
    return withVisibleControls(text);
}

QString withVisibleControls(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20) {
            c = QChar(char16_t(u'␀' + c.unicode()));
        } else if (c.unicode() == 0x7F) {
            c = QChar(u'␡');
        }
    }
    return text;
}
