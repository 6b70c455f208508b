#pragma once

class QWidget;

// Keeps a window of fixed size at its size when something asks to maximise it. Where Qt draws
// the title bar itself (Wayland desktops that leave decorations to their clients), that bar
// has a maximise button whatever the window's size or flags; the compositor answers with a
// size the window must take, and ends a client whose window does not. The window takes that
// size, then goes straight back to its own.
void keepFixedSize(QWidget *window);
