#pragma once

#include <QIcon>

// The console's icon for its window, task bar and window menu: the pictures built into the
// program, decoded when something first asks for them (see DeferredIconEngine).
QIcon windowIcon();
