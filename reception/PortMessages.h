#pragma once

#include <QString>

// What the status line tells the operator about serial port 1 or 2 when it fails.

// "ポート１" or "ポート２": port numbers appear in full-width digits, as on the buttons.
QString portLabel(int portNumber);

// Why the port at `path` did not open, and what to do about it: a device that is not there,
// one that another program holds (named with its PID when its lock file tells), one that
// this user may not open (naming the device's group), or else the port's own `reason`.
// It looks at the device, its lock file and (once, without configuring it) opens it, so
// call it only after the port itself failed to open.
QString openFailureMessage(int portNumber, const QString &path, const QString &reason);

// The line went away during a wait.
QString lineLostMessage(int portNumber, const QString &reason);
