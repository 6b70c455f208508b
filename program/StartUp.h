#pragma once

#include <QIcon>

#include <functional>

class QObject;
class QWidget;

// What the console does as it starts, beside making its window.

// Installs Qt's own Japanese texts (context menus, standard buttons) from Qt's translations
// directory, whatever the system's locale: the window is Japanese. The translations live as
// long as `owner`. Returns false when the catalogue is missing; Qt's texts then stay in
// English.
bool installQtTranslations(QObject *owner);

// The console's icon for its window, task bar and window menu: the pictures built into the
// program. Decoding them is work after the first paint (see main.cpp), where X11, Wayland's
// title bar and Windows ask for them at once.
QIcon windowIcon();

// Runs `then` once, after `window` has painted for the first time and its picture has gone to
// the windowing system: for what need not hold the window back.
void afterFirstPaint(QWidget *window, std::function<void()> then);

// For start-up benchmarks: with KELMI_READY_FD naming an open descriptor, writes "ready\n"
// to it once the event loop runs, i.e. once the windows shown before this call are up.
// Without the variable it does nothing, so the window is the same either way.
void reportReadiness();
