#pragma once

#include "PlayerSlot.h"
#include "PortFailure.h"
#include "SerialPortList.h"
#include "SystemError.h"

#include <QString>
#include <QStringList>

// Every message the console shows when something fails, in the operator's words: what failed,
// why, and what to do next. The failures come as values from the libraries; this is the one
// place that words them.

// A message for the status line: one line that says what failed and why, and the rest.
struct OperatorMessage
{
    // What failed and why, in one sentence.
    QString headline;
    // The status line's text, the fullest first, the headline among them; each says what
    // failed and why, so that the line shows the fullest that fits its width.
    QStringList lines;
    // Everything else, for the tooltip: the device, the program that holds it, what to do.
    QString details;

    // The whole message, for the tooltip: the headline, then the details.
    QString whole() const;
};

OperatorMessage portFailureMessage(const PortFailure &failure);

enum class FileOperation { Save, Delete };

// A failed save or delete of the slot's player file, for a message box.
QString fileFailureMessage(FileOperation operation, PlayerSlot slot, const SystemError &error);

// Why something failed, in a few words without a full stop: the operator's words for the
// failures the console knows, otherwise the system's own.
QString failureReason(const SystemError &error);

// A port button's tooltip: the device that the port opens, and what named it.
QString portToolTip(PlayerSlot slot, const PlayerPort &port);
