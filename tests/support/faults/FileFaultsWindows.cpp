#include "FileFaults.h"

#include "ConsoleProcess.h"

#include <QDir>

#include <windows.h>

namespace {

bool markReadOnly(const QString &name, bool readOnly)
{
    const auto *path = reinterpret_cast<const wchar_t *>(name.utf16());
    const DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES
        && ::SetFileAttributesW(path,
                                readOnly ? attributes | FILE_ATTRIBUTE_READONLY
                                         : attributes & ~FILE_ATTRIBUTE_READONLY);
}

} // namespace

struct InjectedFileFault::Private
{
    ConsoleProcess holder;
};

InjectedFileFault::InjectedFileFault(FileFault fault)
    : m_fault(fault)
    , d(std::make_unique<Private>())
{
    switch (fault) {
    case FileFault::DirectoryInName:
    case FileFault::HeldByAnotherProcess:
    case FileFault::ReadOnlyFile:
        break;
    case FileFault::FileSizeLimit:
    case FileFault::FullFileSystem:
    case FileFault::ReadOnlyFileSystem:
    case FileFault::ImmutableFile:
    case FileFault::FolderOfAnotherUser:
    case FileFault::SyncNoSpace:
    case FileFault::SyncIoError:
    case FileFault::WorkingFolderRemoved:
        m_skipReason = QStringLiteral("this fault is injected on Linux only");
        break;
    }
}

InjectedFileFault::~InjectedFileFault()
{
    if (m_injected) {
        lift();
    }
}

// Windows' own faults: another program holds the file, as the match program does while it
// reads it, or the file is marked read-only. The constructor lets no other fault through.
bool InjectedFileFault::injectHere(const QString &name)
{
    if (m_fault == FileFault::ReadOnlyFile) {
        return markReadOnly(name, true);
    }
    return d->holder.start({QStringLiteral("hold"), QDir::current().absoluteFilePath(name)})
        == "started";
}

bool InjectedFileFault::liftHere()
{
    if (m_fault == FileFault::ReadOnlyFile) {
        return markReadOnly(m_name, false);
    }
    d->holder.kill();
    return true;
}
