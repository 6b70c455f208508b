#include "FileFaults.h"

#include <QDir>

// A directory holding the file's name is the same fault everywhere; the others are the
// platform's own.

bool InjectedFileFault::inject(const QString &name)
{
    m_name = name;
    const bool ok = m_fault == FileFault::DirectoryInName ? QDir().mkdir(name) : injectHere(name);
    m_injected = ok;
    return ok || fail(QStringLiteral("cannot inject the fault"));
}

bool InjectedFileFault::lift()
{
    const bool ok = m_fault == FileFault::DirectoryInName ? QDir().rmdir(m_name) : liftHere();
    m_injected = !ok;
    return ok || fail(QStringLiteral("cannot lift the fault"));
}

bool InjectedFileFault::fail(const QString &what)
{
    m_errorString = what + QStringLiteral(": ") + qt_error_string(-1);
    return false;
}
