#pragma once

#include "SystemError.h"

#include <QString>

// What the status line tells the operator about serial port 1 or 2 when it fails. Each
// message is one line that says what happened, then a hint on what to do where there is one.

// "ポート１" or "ポート２": port numbers appear in full-width digits, as on the buttons.
QString portLabel(int portNumber);

// Why the port at `path` did not open, and what to do about it: a device that is not there,
// one that another program holds, one that this user may not open, or else the system's
// reason. Each platform finds out in its own way (PortDiagnosisUnix.cpp, which looks at the
// device and its lock files, or PortDiagnosisWindows.cpp), so call it only right after the
// port itself failed to open with `error`.
QString openFailureMessage(int portNumber, const QString &path, const SystemError &error);

// The line went away during a wait.
QString lineLostMessage(int portNumber, const SystemError &error);

// The messages the platforms' diagnoses choose from.
namespace PortMessage {
// `where` tells what to check besides the cable.
QString missing(int portNumber, const QString &path, const QString &where);
// `holder` names the program when it is known.
QString held(int portNumber, const QString &path, const QString &holder = QString());
QString notOpened(int portNumber, const QString &path, const SystemError &error);
} // namespace PortMessage
