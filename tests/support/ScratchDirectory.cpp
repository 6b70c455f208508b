#include "ScratchDirectory.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace {

#ifndef Q_OS_WIN
// Removes everything below the folder open as `folder` by names relative to it, which Qt's
// removal cannot do for names it does not decode or paths longer than PATH_MAX.
void removeContents(int folder)
{
    DIR *listing = ::fdopendir(::dup(folder));
    if (!listing) {
        return;
    }
    while (const dirent *entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..") {
            continue;
        }
        struct stat info = {};
        if (::fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0
            && S_ISDIR(info.st_mode)) {
            const int child = ::openat(folder, entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (child >= 0) {
                removeContents(child);
                ::close(child);
            }
            ::unlinkat(folder, entry->d_name, AT_REMOVEDIR);
        } else {
            ::unlinkat(folder, entry->d_name, 0);
        }
    }
    ::closedir(listing);
}
#endif

} // namespace

ScratchDirectory::ScratchDirectory()
    : m_previous(QDir::currentPath())
{
    m_entered = m_directory.isValid() && QDir::setCurrent(m_directory.path());
}

ScratchDirectory::~ScratchDirectory()
{
    QDir::setCurrent(m_previous);
#ifndef Q_OS_WIN
    const int folder = ::open(QFile::encodeName(m_directory.path()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        removeContents(folder);
        ::close(folder);
    }
#endif
}

bool ScratchDirectory::enterNewFolder(const QByteArray &rawName)
{
#ifdef Q_OS_WIN
    const QString name = QString::fromLocal8Bit(rawName);
    return QDir().mkdir(name) && QDir::setCurrent(name);
#else
    return ::mkdir(rawName.constData(), 0755) == 0 && ::chdir(rawName.constData()) == 0;
#endif
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

namespace {

// Marks a file as attrib +h ("hidden") or +s ("system") does; false where the platform has no
// such marks.
bool markFile(const QString &name, const QString &mark)
{
#ifdef Q_OS_WIN
    const auto path = reinterpret_cast<const wchar_t *>(name.utf16());
    const DWORD attributes = ::GetFileAttributesW(path);
    const DWORD flag = mark == QLatin1String("hidden") ? FILE_ATTRIBUTE_HIDDEN
        : mark == QLatin1String("system")              ? FILE_ATTRIBUTE_SYSTEM
                                                       : 0;
    return flag && attributes != INVALID_FILE_ATTRIBUTES
        && ::SetFileAttributesW(path, attributes | flag);
#else
    Q_UNUSED(name);
    Q_UNUSED(mark);
    return false;
#endif
}

} // namespace

bool makeEntries(const QStringList &entries)
{
    for (const QString &entry : entries) {
        const QString name = entry.section(u':', 0, 0);
        const QString mark = entry.section(u':', 1);
        const bool made = name.endsWith(u'/') ? QDir().mkdir(name.chopped(1)) : touch(name);
        if (!made || (!mark.isEmpty() && !markFile(name, mark))) {
            return false;
        }
    }
    return true;
}

bool makeNameBearer(NameBearer bearer, const QString &name, const QString &elsewhere,
                    QString *target)
{
#ifdef Q_OS_WIN
    Q_UNUSED(bearer);
    Q_UNUSED(name);
    Q_UNUSED(elsewhere);
    Q_UNUSED(target);
    return false;
#else
    const QByteArray path = QFile::encodeName(name);
    *target = QDir(elsewhere).filePath(QStringLiteral("target"));
    const QByteArray targetPath = QFile::encodeName(*target);
    bool made = false;
    switch (bearer) {
    case NameBearer::LinkToFile: {
        QFile file(*target);
        made = file.open(QIODevice::WriteOnly) && file.write("not a player's record\n") > 0;
        break;
    }
    case NameBearer::LinkToDevice:
        // The null device's numbers: harmless whatever writes to it.
        made = ::mknod(targetPath.constData(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;
        break;
    case NameBearer::LinkToFolder:
        made = ::mkdir(targetPath.constData(), 0755) == 0;
        break;
    case NameBearer::DanglingLink:
        made = true;
        break;
    case NameBearer::Fifo:
        target->clear();
        return ::mkfifo(path.constData(), 0666) == 0;
    }
    return made && ::symlink(targetPath.constData(), path.constData()) == 0;
#endif
}
