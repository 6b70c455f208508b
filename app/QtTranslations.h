#pragma once

class QObject;

// Installs Qt's own Japanese texts (context menus, standard buttons, the serial port's
// reasons) from Qt's translations directory, whatever the system's locale: the window is
// Japanese. The translations live as long as `owner`. Returns false when a catalogue is
// missing; Qt's texts then stay in English.
bool installQtTranslations(QObject *owner);
