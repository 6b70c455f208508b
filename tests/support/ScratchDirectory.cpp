#include "ScratchDirectory.h"

#include <QDir>
#include <QFile>

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
