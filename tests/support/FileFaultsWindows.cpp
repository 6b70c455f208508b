#include "FileFaults.h"

#include "ConsoleProcess.h"

#include <QDir>

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

// Windows' own fault: another program holds the file, as the match program does while it
// reads it. The constructor lets no other fault through to here.
bool InjectedFileFault::injectHere(const QString &name)
{
    return d->holder.start({QStringLiteral("hold"), QDir::current().absoluteFilePath(name)})
        == "started";
}

bool InjectedFileFault::liftHere()
{
    d->holder.kill();
    return true;
}
