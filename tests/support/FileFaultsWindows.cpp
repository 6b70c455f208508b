#include "FileFaults.h"

#include "ChildConsole.h"

#include <QDir>

struct InjectedFileFault::Private
{
    ChildConsole holder;
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

bool InjectedFileFault::inject(const QString &name)
{
    m_name = name;
    bool ok = false;
    switch (m_fault) {
    case FileFault::DirectoryInName:
        ok = QDir().mkdir(name);
        break;
    case FileFault::HeldByAnotherProcess:
        // As the match program does while it reads the file.
        ok = d->holder.start({QStringLiteral("hold"), QDir::current().absoluteFilePath(name)})
            == "started";
        break;
    default:
        break;
    }
    m_injected = ok;
    return ok || fail(QStringLiteral("cannot inject the fault"));
}

bool InjectedFileFault::lift()
{
    bool ok = false;
    switch (m_fault) {
    case FileFault::DirectoryInName:
        ok = QDir().rmdir(m_name);
        break;
    case FileFault::HeldByAnotherProcess:
        d->holder.kill();
        ok = true;
        break;
    default:
        break;
    }
    m_injected = !ok;
    return ok || fail(QStringLiteral("cannot lift the fault"));
}

bool InjectedFileFault::fail(const QString &what)
{
    m_errorString = what + QStringLiteral(": ") + qt_error_string(-1);
    return false;
}
