#include "FileSystem.h"

#include "ErrorCodesWindows.h"

#include <QDir>
#include <QRandomGenerator>

#include <windows.h>

namespace {

const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

SystemError lastError()
{
    return SystemError::fromCode(int(::GetLastError()));
}

// Windows refuses to replace a folder with "access denied"; the operator is told that the
// name is a folder instead. A link or junction of the name is no folder of the match's.
bool isRealFolder(const QString &name)
{
    const DWORD attributes = ::GetFileAttributesW(wide(name));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
        && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Creates a new file "<name>.XXXXXX" beside name, as QTemporaryFile names them; never opens
// anything that is there.
HANDLE createTemporary(const QString &name, QString *temporary)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        *temporary = name + u'.';
        for (int i = 0; i < 6; ++i) {
            *temporary += QLatin1Char(
                letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))]);
        }
        const HANDLE file = ::CreateFileW(wide(*temporary), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) {
            return file;
        }
    }
    return INVALID_HANDLE_VALUE;
}

bool writeAll(HANDLE file, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!::WriteFile(file, bytes.constData() + done, DWORD(bytes.size() - done), &written,
                         nullptr)) {
            return false;
        }
        if (written == 0) {
            ::SetLastError(ERROR_DISK_FULL);
            return false;
        }
        done += written;
    }
    return true;
}

} // namespace

std::optional<SystemError> replaceFile(const QString &name, const QByteArray &bytes)
{
    QString temporary;
    const HANDLE file = createTemporary(name, &temporary);
    if (file == INVALID_HANDLE_VALUE) {
        return lastError();
    }
    bool written = writeAll(file, bytes) && ::FlushFileBuffers(file);
    SystemError error = written ? SystemError() : lastError();
    ::CloseHandle(file);
    // MoveFileExW replaces a symbolic link of the name itself, never its target, and waits
    // until the rename is on the disk.
    if (written
        && !::MoveFileExW(wide(temporary), wide(name),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        written = false;
        error = isRealFolder(name) ? SystemError::fromCode(windowsDirectoryNotSupported)
                                   : lastError();
    }
    if (!written) {
        ::DeleteFileW(wide(temporary));
        return error;
    }
    return std::nullopt;
}

std::optional<SystemError> removeFile(const QString &name)
{
    // DeleteFileW removes a symbolic link, not its target.
    if (!::DeleteFileW(wide(name))) {
        const DWORD code = ::GetLastError();
        // Taken meanwhile (say by the match program): the operator's goal is met.
        if (code != ERROR_FILE_NOT_FOUND) {
            return isRealFolder(name) ? SystemError::fromCode(windowsDirectoryNotSupported)
                                      : SystemError::fromCode(int(code));
        }
    }
    // NTFS journals its directory entries itself; Windows has no call to sync a folder.
    return std::nullopt;
}

bool listsOrdinaryFile(const QString &name)
{
    WIN32_FIND_DATAW found = {};
    const HANDLE search = ::FindFirstFileW(wide(name), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::FindClose(search);
    constexpr DWORD unlisted = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN
        | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT;
    // The search ignores letter case; the name it reports does not.
    return QString::fromWCharArray(found.cFileName) == name && !(found.dwFileAttributes & unlisted);
}

QString workingFolderForDisplay()
{
    return QDir::toNativeSeparators(QDir::currentPath());
}
