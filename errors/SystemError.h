#pragma once

#include <QString>

// A failure as the operating system reported it.
struct SystemError
{
    int code = 0; // errno on Linux, GetLastError() on Windows; 0 when not known
    QString text; // the system's own words for it

    // The failure with this code, in the system's words.
    static SystemError fromCode(int code);
    // Qt reports some failures as text only (QFileDevice, QSerialPort): the failure whose
    // system words these are, or the text alone (code 0) when it is none the console knows.
    static SystemError fromText(const QString &text);
    // The working folder was removed while the console runs: nothing can be made or removed
    // in it any more.
    static SystemError workingFolderGone();
};

// Why something failed, for the operator: short Japanese for the failures the console
// meets (a device or file not there, access refused, busy, an input/output error, a full
// disk, a read-only disk, a line hung up, a device that is no serial port, a link loop, a
// name too long, the working folder gone), otherwise the system's own words.
QString operatorReason(const SystemError &error);
