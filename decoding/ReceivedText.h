#pragma once

#include <QByteArrayView>
#include <QString>

// The received bytes as the status line shows them, one character per byte: printable ASCII
// as is, control characters as their control pictures (see below), 0xA1..0xDF as the
// half-width katakana of code page 932 (U+FF61..U+FF9F), and any other byte as U+FFFD, so that
// line noise still shows as one mark per byte.
QString receivedText(QByteArrayView bytes);

// Unicode's control pictures (␀ ␍ ␊ … ␡) in place of control characters, which would break a
// line, end it or show as nothing: for received text, and for names in messages, which may
// hold anything.
QString withVisibleControls(QString text);
