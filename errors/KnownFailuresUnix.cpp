#include "KnownFailures.h"

#include <cerrno>

namespace {

using Kind = SystemError::Kind;

constexpr KnownFailure failures[] = {
    {ENOENT, Kind::NotFound},
    {ENODEV, Kind::NoDevice},
    {ENXIO, Kind::NoDevice},
    {EACCES, Kind::AccessDenied},
    {EPERM, Kind::NotPermitted},
    {EBUSY, Kind::Busy},
    {ETXTBSY, Kind::Busy},
    {EIO, Kind::IoError},
    {ENOSPC, Kind::DiskFull},
    {EDQUOT, Kind::QuotaExceeded},
    {EFBIG, Kind::FileTooLarge},
    {EROFS, Kind::ReadOnlyDisk},
    {EISDIR, Kind::IsFolder},
    {ENOTDIR, Kind::NotFolder},
    {ENAMETOOLONG, Kind::NameTooLong},
    {ELOOP, Kind::LinkLoop},
    // What a device that takes no line settings answers.
    {EINVAL, Kind::SettingsRefused},
    // A hung-up line has no error code of its own; the serial line reports it as EPIPE,
    // the far end gone.
    {EPIPE, Kind::LineLost},
    {ENOTTY, Kind::NotSerialPort},
};

} // namespace

std::span<const KnownFailure> knownFailures()
{
    return failures;
}
