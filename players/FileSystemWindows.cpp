#include "FileSystem.h"

#include <QFileDevice>

#include <io.h>
#include <windows.h>

bool flushToDisk(QFileDevice &file, SystemError *error)
{
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(file.handle()));
    if (handle == INVALID_HANDLE_VALUE || !::FlushFileBuffers(handle)) {
        *error = SystemError::fromCode(int(::GetLastError()));
        return false;
    }
    return true;
}

void syncWorkingDirectory()
{
    // NTFS journals its directory entries itself; Windows has no call for it.
}

bool isSystemFile(const QString &name)
{
    const DWORD attributes = ::GetFileAttributesW(reinterpret_cast<const wchar_t *>(name.utf16()));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SYSTEM);
}
