#pragma once

#include <QByteArrayView>
#include <QString>

// The received bytes as text for the status label, one character per byte: ASCII as is,
// 0xA1..0xDF as the half-width katakana of code page 932 (U+FF61..U+FF9F), and any other
// byte as U+FFFD, so that line noise still shows as one mark per byte.
QString receivedText(QByteArrayView bytes);
