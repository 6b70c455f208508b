#pragma once

#include <QString>

// Lines of text for a message box or a tooltip, read at a glance: none wider than the box,
// none broken inside a word or a button's name. Widths are counted in quarters of a
// full-width character, as the window's font draws them, a little generously.

// The widest line: 34 full-width characters, which the message box shows unbroken on a screen
// 1024 pixels wide.
inline constexpr int lineWidth = 34 * 4;

// Each line of `text` that is wider than `lineWidth` broken after its last 、 or 。 that
// fits, else before or after brackets, else after a space or a path separator, else (a name or a
// path with none) after its last character that fits.
QString brokenLines(const QString &text);

// The first `count` lines of `text`, each as wide as it may be, the last ending in "…" when
// some are left out: text as a device sent it, of any length, kept to a tooltip that leaves
// the window in sight.
QString firstLines(const QString &text, int count);
