#pragma once

#include <QIcon>

// The console's icon for its window, task bar and window menu: the pictures built into the
// program, made into an icon when something first asks for them (see DeferredIconEngine).
// The pictures are decoded then too or, with `ahead`, from now on in a thread of their own.
QIcon windowIcon(bool ahead);

// Whether the windowing system takes a window's icon as the window is made, before it shows
// (X11, Windows): there the pictures are best decoded ahead, while the window is being built.
// The others (Wayland, offscreen) never ask for them.
bool iconTakenAsWindowIsMade();
