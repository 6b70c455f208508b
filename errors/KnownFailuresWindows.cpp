#include "KnownFailures.h"

#include "ErrorCodesWindows.h"

#include <windows.h>

namespace {

using Kind = SystemError::Kind;

constexpr KnownFailure failures[] = {
    {ERROR_FILE_NOT_FOUND, Kind::NotFound},
    {ERROR_PATH_NOT_FOUND, Kind::NotFound},
    {ERROR_ACCESS_DENIED, Kind::AccessDenied},
    {ERROR_SHARING_VIOLATION, Kind::Busy},
    {ERROR_LOCK_VIOLATION, Kind::Busy},
    {ERROR_BUSY, Kind::Busy},
    {ERROR_GEN_FAILURE, Kind::IoError},
    {ERROR_IO_DEVICE, Kind::IoError},
    {ERROR_DISK_FULL, Kind::DiskFull},
    {ERROR_HANDLE_DISK_FULL, Kind::DiskFull},
    {ERROR_WRITE_PROTECT, Kind::ReadOnlyDisk},
    {windowsDirectoryNotSupported, Kind::IsFolder},
    {ERROR_DIRECTORY, Kind::NotFolder},
    {ERROR_FILENAME_EXCED_RANGE, Kind::NameTooLong},
    {ERROR_CANT_RESOLVE_FILENAME, Kind::LinkLoop},
    {ERROR_INVALID_PARAMETER, Kind::SettingsRefused},
    // What a COM port answers once its adapter is pulled or its far end has gone.
    {ERROR_NOT_READY, Kind::LineLost},
    {ERROR_BAD_COMMAND, Kind::LineLost},
    {ERROR_DEVICE_NOT_CONNECTED, Kind::LineLost},
    {ERROR_DEVICE_REMOVED, Kind::LineLost},
    {ERROR_OPERATION_ABORTED, Kind::LineLost},
    // A device that takes no line settings is no serial port.
    {ERROR_INVALID_FUNCTION, Kind::NotSerialPort},
    {ERROR_NOT_SUPPORTED, Kind::NotSerialPort},
};

} // namespace

std::span<const KnownFailure> knownFailures()
{
    return failures;
}
