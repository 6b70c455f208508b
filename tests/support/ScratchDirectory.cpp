#include "ScratchDirectory.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

ScratchDirectory::ScratchDirectory()
    : m_previous(QDir::currentPath())
{
    m_entered = m_directory.isValid() && QDir::setCurrent(m_directory.path());
}

ScratchDirectory::~ScratchDirectory()
{
    QDir::setCurrent(m_previous);
}

QByteArray readFile(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool touch(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly);
}

bool markFile(const QString &name, FileMark mark)
{
#ifdef Q_OS_WIN
    const auto path = reinterpret_cast<const wchar_t *>(name.utf16());
    const DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES
        && ::SetFileAttributesW(
               path,
               attributes
                   | (mark == FileMark::Hidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_SYSTEM));
#else
    Q_UNUSED(name);
    Q_UNUSED(mark);
    return false;
#endif
}
