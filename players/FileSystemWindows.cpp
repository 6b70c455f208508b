#include "FileSystem.h"

#include "ErrorCodesWindows.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <windows.h>

namespace {

const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

// The working folder cannot be removed while a program works in it on Windows itself, but it
// goes with a pulled USB stick or a network drive that drops, and under Wine.
bool workingFolderGone()
{
    return ::GetFileAttributesW(L".") == INVALID_FILE_ATTRIBUTES;
}

SystemError failureOf(DWORD code)
{
    if ((code == ERROR_PATH_NOT_FOUND || code == ERROR_FILE_NOT_FOUND) && workingFolderGone()) {
        return SystemError::of(SystemError::FolderGone);
    }
    return SystemError::fromCode(int(code));
}

SystemError lastError()
{
    return failureOf(::GetLastError());
}

// Windows refuses to replace or remove a read-only file with "access denied"; the operator is
// told it is read-only. Asked before the change, since Wine would replace it all the same.
bool isReadOnlyFile(const QString &name)
{
    const DWORD attributes = ::GetFileAttributesW(wide(name));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)
        && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Windows refuses to replace a folder with "access denied"; the operator is told that the
// name is a folder instead. A link or junction of the name is no folder of the match's.
bool isRealFolder(const QString &name)
{
    const DWORD attributes = ::GetFileAttributesW(wide(name));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
        && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
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

// Why a rename onto `name` or its removal failed with `code`. Windows refuses to replace a
// folder, or a file that another program holds, with "access denied": the operator is told
// which.
SystemError failureAt(const QString &name, DWORD code)
{
    if (isRealFolder(name)) {
        return SystemError::fromCode(windowsDirectoryNotSupported);
    }
    if (code == ERROR_ACCESS_DENIED) {
        return SystemError::fromCode(ERROR_SHARING_VIOLATION);
    }
    return failureOf(code);
}

// Virus scanners, the search indexer and the match program itself open a freshly written
// player file for a moment. A rename onto it or its removal that meets such a hold is tried
// again for up to a second, long enough for those (a scanner takes tens to hundreds of
// milliseconds) and short enough for a click to feel answered; a program that holds the file
// longer is one the operator has to close. Meanwhile the window keeps drawing itself, and
// what the operator clicks or types waits until the click being handled is done.
constexpr int holdRetryMs = 1000;
constexpr int holdRetryStepMs = 50;

bool isHold(DWORD code)
{
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION
        || code == ERROR_ACCESS_DENIED;
}

// Runs `operation` (a Win32 call that returns whether it succeeded) on `name`, again while
// another program holds the file; ERROR_SUCCESS, or the code of the last failure. Windows
// ends the program as soon as the end of the session has been handled, so `atEnd` runs
// right then, and the retry gives up.
template<class Operation, class AtEnd>
DWORD whileHeld(const QString &name, Operation operation, AtEnd atEnd)
{
    const QDeadlineTimer deadline(holdRetryMs);
    QEventLoop pause;
    bool ending = false;
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &pause, [&] {
        ending = true;
        atEnd();
        pause.quit();
    });
    for (;;) {
        if (operation()) {
            return ERROR_SUCCESS;
        }
        const DWORD code = ::GetLastError();
        if (!isHold(code) || isRealFolder(name) || deadline.hasExpired()) {
            return code;
        }
        QTimer::singleShot(holdRetryStepMs, &pause, &QEventLoop::quit);
        pause.exec(QEventLoop::ExcludeUserInputEvents);
        if (ending) {
            return code;
        }
    }
}

} // namespace

std::optional<SystemError> replaceFile(const QString &name, const QByteArray &bytes)
{
    if (isReadOnlyFile(name)) {
        return SystemError::of(SystemError::ReadOnlyFile);
    }
    QString temporary;
    const HANDLE file = createTemporary(
        name, &temporary,
        [&] {
            return ::CreateFileW(wide(temporary), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        },
        [](HANDLE made) {
            return made == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_FILE_EXISTS;
        });
    if (file == INVALID_HANDLE_VALUE) {
        return lastError();
    }
    const bool written = writeAll(file, bytes) && ::FlushFileBuffers(file);
    const DWORD writeError = ::GetLastError();
    ::CloseHandle(file);
    // MoveFileExW replaces a symbolic link of the name itself, never its target, and waits
    // until the rename is on the disk.
    const auto rename = [&] {
        return ::MoveFileExW(wide(temporary), wide(name),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    };
    const auto removeTemporary = [&] {
        ::DeleteFileW(wide(temporary));
    };
    const DWORD code = !written ? writeError : whileHeld(name, rename, removeTemporary);
    if (code != ERROR_SUCCESS) {
        removeTemporary();
        return failureAt(name, code);
    }
    return std::nullopt;
}

std::optional<SystemError> removeFile(const QString &name)
{
    if (isReadOnlyFile(name)) {
        return SystemError::of(SystemError::ReadOnlyFile);
    }
    // DeleteFileW removes a symbolic link, not its target.
    const DWORD code = whileHeld(
        name, [&] { return ::DeleteFileW(wide(name)); }, [] {});
    if (code == ERROR_SUCCESS) {
        // NTFS journals its directory entries itself; Windows has no call to sync a folder.
        return std::nullopt;
    }
    const SystemError error = failureAt(name, code);
    // Taken meanwhile (say by the match program): the operator's goal is met.
    if (error.kind == SystemError::NotFound) {
        return std::nullopt;
    }
    return error;
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
