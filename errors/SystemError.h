#pragma once

#include <QString>

// A failure as the operating system reported it, and which of the failures the console knows
// it is.
struct SystemError
{
    // The failures that the console names in the operator's words; Other is any other, which
    // only the system's words describe.
    enum Kind {
        Other,
        NotFound,
        NoDevice,
        AccessDenied,
        NotPermitted,
        Busy,
        IoError,
        DiskFull,
        QuotaExceeded,
        FileTooLarge,
        ReadOnlyDisk,
        IsFolder,
        NotFolder,
        NameTooLong,
        LinkLoop,
        SettingsRefused, // a device that takes no line settings
        LineLost, // a serial line hung up, its adapter pulled
        NotSerialPort,
        // Found by the console itself; the system has no code of its own for them.
        FolderGone, // the working folder was removed while the console runs
        ReadOnlyFile, // a player file that this user may not write
    };

    Kind kind = Other;
    int code = 0; // errno on Linux, GetLastError() on Windows; 0 when not known
    QString text; // the system's own words for it

    // The failure with this code, in the system's words.
    static SystemError fromCode(int code);
    // A failure that the console finds itself.
    static SystemError of(Kind kind);

    bool operator==(const SystemError &) const = default;
};
