#include "FileFaults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/fsuid.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr rlim_t smallFileLimit = 16; // bytes: less than any player data file

const char *const fillerName = "filler";

constexpr uid_t nobody = 65534;

// Read by FailingFsyncUnix.cpp.
const char *const failingSyncVariable = "KELMI_FAILING_FSYNC";

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool setImmutable(const QString &name, bool immutable)
{
    const int fd = ::open(QFile::encodeName(name).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return ok;
}

// Makes the system check file access as this user (the process stays root, so it can turn
// back); true once it does.
bool checkFilesAs(uid_t user)
{
    ::setfsuid(user);
    return uid_t(::setfsuid(uid_t(-1))) == user;
}

// Sets the soft limit on file sizes; `previous` receives the one it replaces.
bool setFileSizeLimit(rlim_t soft, long long *previous)
{
    rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) {
        return false;
    }
    if (previous) {
        *previous = static_cast<long long>(limit.rlim_cur);
    }
    limit.rlim_cur = soft;
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

bool remount(const QString &mountPoint, unsigned long readOnly)
{
    return ::mount(nullptr, QFile::encodeName(mountPoint).constData(), nullptr,
                   MS_REMOUNT | readOnly, nullptr)
        == 0;
}

// Writes a file on the mounted file system until the system says it is full.
bool fillFileSystem(const QString &path)
{
    QFile filler(path);
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return false;
    }
    const QByteArray block(4096, 'x');
    while (filler.write(block) > 0) { }
    return true;
}

} // namespace

struct InjectedFileFault::Private
{
    bool mountSmallFileSystem(QString *skipReason);

    std::unique_ptr<QTemporaryDir> mountPoint;
    QString previousDirectory;
    long long previousLimit = -1;
    QByteArray removedFolder; // the working folder's path, while it is removed
};

InjectedFileFault::InjectedFileFault(FileFault fault)
    : m_fault(fault)
    , d(std::make_unique<Private>())
{
    switch (fault) {
    case FileFault::FullFileSystem:
    case FileFault::ReadOnlyFileSystem:
        d->mountSmallFileSystem(&m_skipReason);
        break;
    case FileFault::ImmutableFile:
        if (::geteuid() != 0) {
            m_skipReason = QStringLiteral("marking a file immutable needs root");
        }
        break;
    case FileFault::FolderOfAnotherUser:
    case FileFault::ReadOnlyFile:
        if (::geteuid() != 0) {
            m_skipReason = QStringLiteral("checking files as another user needs root");
        }
        break;
    case FileFault::SyncNoSpace:
    case FileFault::SyncIoError:
        if (!::dlsym(RTLD_DEFAULT, "kelmi_failing_fsync_loaded")) {
            m_skipReason
                = QStringLiteral("a failing fsync needs LD_PRELOAD=libkelmi_failing_fsync.so,"
                                 " which ctest sets");
        }
        break;
    case FileFault::DirectoryInName:
    case FileFault::FileSizeLimit:
    case FileFault::WorkingFolderRemoved:
        break;
    case FileFault::HeldByAnotherProcess:
        m_skipReason = QStringLiteral("Linux lets a program replace or remove a file that "
                                      "another program has open");
        break;
    }
}

InjectedFileFault::~InjectedFileFault()
{
    if (m_injected) {
        lift();
    }
    if (d->mountPoint) {
        QDir::setCurrent(d->previousDirectory);
        ::umount2(QFile::encodeName(d->mountPoint->path()).constData(), MNT_DETACH);
    }
}

bool InjectedFileFault::Private::mountSmallFileSystem(QString *skipReason)
{
    if (::geteuid() != 0) {
        *skipReason = QStringLiteral("mounting a small file system needs root");
        return false;
    }
    mountPoint = std::make_unique<QTemporaryDir>();
    const QByteArray path = QFile::encodeName(mountPoint->path());
    if (!mountPoint->isValid()
        || ::mount("kelmi-test", path.constData(), "tmpfs", 0, "size=64k,mode=0755") != 0) {
        *skipReason = QStringLiteral("cannot mount a small tmpfs here: ") + systemReason();
        mountPoint.reset();
        return false;
    }
    // The working directory is a folder on it, so the filler stays out of the players' way.
    previousDirectory = QDir::currentPath();
    const QString match = mountPoint->filePath(QStringLiteral("match"));
    if (!QDir().mkdir(match) || !QDir::setCurrent(match)) {
        *skipReason = QStringLiteral("cannot enter the small file system");
        return false;
    }
    return true;
}

bool InjectedFileFault::injectHere(const QString &name)
{
    bool ok = false;
    switch (m_fault) {
    case FileFault::FileSizeLimit:
        // The system would end the process with SIGXFSZ; ignored, the write fails with EFBIG.
        std::signal(SIGXFSZ, SIG_IGN);
        ok = setFileSizeLimit(smallFileLimit, &d->previousLimit);
        break;
    case FileFault::FullFileSystem:
        ok = fillFileSystem(d->mountPoint->filePath(QLatin1String(fillerName)));
        break;
    case FileFault::ReadOnlyFileSystem:
        ok = remount(d->mountPoint->path(), MS_RDONLY);
        break;
    case FileFault::ImmutableFile:
        ok = setImmutable(name, true);
        break;
    case FileFault::FolderOfAnotherUser:
        // Root's folder, open to all but writable by root alone; the console is nobody now.
        ok = ::chmod(".", 0755) == 0 && checkFilesAs(nobody);
        break;
    case FileFault::ReadOnlyFile:
        // A folder in which anyone may replace or remove a file, and root's file that nobody
        // may write; the console is nobody now.
        ok = ::chmod(".", 0777) == 0 && ::chmod(QFile::encodeName(name).constData(), 0444) == 0
            && checkFilesAs(nobody);
        break;
    case FileFault::SyncNoSpace:
    case FileFault::SyncIoError:
        ok = qputenv(failingSyncVariable,
                     QByteArray::number(m_fault == FileFault::SyncNoSpace ? ENOSPC : EIO));
        break;
    case FileFault::WorkingFolderRemoved:
        d->removedFolder = QFile::encodeName(QDir::currentPath());
        ok = ::rmdir(d->removedFolder.constData()) == 0;
        break;
    case FileFault::DirectoryInName: // the same everywhere: FileFaults.cpp
    case FileFault::HeldByAnotherProcess:
        break;
    }
    return ok;
}

bool InjectedFileFault::liftHere()
{
    bool ok = false;
    switch (m_fault) {
    case FileFault::FileSizeLimit:
        ok = setFileSizeLimit(static_cast<rlim_t>(d->previousLimit), nullptr);
        std::signal(SIGXFSZ, SIG_DFL);
        break;
    case FileFault::FullFileSystem:
        ok = QFile::remove(d->mountPoint->filePath(QLatin1String(fillerName)));
        break;
    case FileFault::ReadOnlyFileSystem:
        ok = remount(d->mountPoint->path(), 0);
        break;
    case FileFault::ImmutableFile:
        ok = setImmutable(m_name, false);
        break;
    case FileFault::FolderOfAnotherUser:
        ok = checkFilesAs(0);
        break;
    case FileFault::ReadOnlyFile:
        ok = checkFilesAs(0) && ::chmod(QFile::encodeName(m_name).constData(), 0644) == 0;
        break;
    case FileFault::SyncNoSpace:
    case FileFault::SyncIoError:
        ok = qunsetenv(failingSyncVariable);
        break;
    case FileFault::WorkingFolderRemoved:
        ok = ::mkdir(d->removedFolder.constData(), 0755) == 0
            && ::chdir(d->removedFolder.constData()) == 0;
        break;
    case FileFault::DirectoryInName: // the same everywhere: FileFaults.cpp
    case FileFault::HeldByAnotherProcess:
        break;
    }
    return ok;
}
