#include "FileFaults.h"

#include <QDir>
#include <QFile>

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

// Read by FailingFsync.cpp.
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

InjectedFileFault::InjectedFileFault(FileFault fault)
    : m_fault(fault)
{
    switch (fault) {
    case FileFault::FullFileSystem:
    case FileFault::ReadOnlyFileSystem:
        mountSmallFileSystem();
        break;
    case FileFault::ImmutableFile:
        if (::geteuid() != 0) {
            m_skipReason = QStringLiteral("marking a file immutable needs root");
        }
        break;
    case FileFault::FolderOfAnotherUser:
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
        break;
    }
}

InjectedFileFault::~InjectedFileFault()
{
    if (m_injected) {
        lift();
    }
    if (m_mountPoint) {
        QDir::setCurrent(m_previousDirectory);
        ::umount2(QFile::encodeName(m_mountPoint->path()).constData(), MNT_DETACH);
    }
}

bool InjectedFileFault::mountSmallFileSystem()
{
    if (::geteuid() != 0) {
        m_skipReason = QStringLiteral("mounting a small file system needs root");
        return false;
    }
    m_mountPoint = std::make_unique<QTemporaryDir>();
    const QByteArray path = QFile::encodeName(m_mountPoint->path());
    if (!m_mountPoint->isValid()
        || ::mount("kelmi-test", path.constData(), "tmpfs", 0, "size=64k,mode=0755") != 0) {
        m_skipReason = QStringLiteral("cannot mount a small tmpfs here: ") + systemReason();
        m_mountPoint.reset();
        return false;
    }
    // The working directory is a folder on it, so the filler stays out of the players' way.
    m_previousDirectory = QDir::currentPath();
    const QString match = m_mountPoint->filePath(QStringLiteral("match"));
    if (!QDir().mkdir(match) || !QDir::setCurrent(match)) {
        m_skipReason = QStringLiteral("cannot enter the small file system");
        return false;
    }
    return true;
}

bool InjectedFileFault::inject(const QString &name)
{
    m_name = name;
    bool ok = false;
    switch (m_fault) {
    case FileFault::DirectoryInName:
        ok = QDir().mkdir(name);
        break;
    case FileFault::FileSizeLimit:
        // The system would end the process with SIGXFSZ; ignored, the write fails with EFBIG.
        std::signal(SIGXFSZ, SIG_IGN);
        ok = setFileSizeLimit(smallFileLimit, &m_previousLimit);
        break;
    case FileFault::FullFileSystem:
        ok = fillFileSystem(m_mountPoint->filePath(QLatin1String(fillerName)));
        break;
    case FileFault::ReadOnlyFileSystem:
        ok = remount(m_mountPoint->path(), MS_RDONLY);
        break;
    case FileFault::ImmutableFile:
        ok = setImmutable(name, true);
        break;
    case FileFault::FolderOfAnotherUser:
        // Root's folder, open to all but writable by root alone; the console is nobody now.
        ok = ::chmod(".", 0755) == 0 && checkFilesAs(nobody);
        break;
    case FileFault::SyncNoSpace:
    case FileFault::SyncIoError:
        ok = qputenv(failingSyncVariable,
                     QByteArray::number(m_fault == FileFault::SyncNoSpace ? ENOSPC : EIO));
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
    case FileFault::FileSizeLimit:
        ok = setFileSizeLimit(static_cast<rlim_t>(m_previousLimit), nullptr);
        std::signal(SIGXFSZ, SIG_DFL);
        break;
    case FileFault::FullFileSystem:
        ok = QFile::remove(m_mountPoint->filePath(QLatin1String(fillerName)));
        break;
    case FileFault::ReadOnlyFileSystem:
        ok = remount(m_mountPoint->path(), 0);
        break;
    case FileFault::ImmutableFile:
        ok = setImmutable(m_name, false);
        break;
    case FileFault::FolderOfAnotherUser:
        ok = checkFilesAs(0);
        break;
    case FileFault::SyncNoSpace:
    case FileFault::SyncIoError:
        ok = qunsetenv(failingSyncVariable);
        break;
    }
    m_injected = !ok;
    return ok || fail(QStringLiteral("cannot lift the fault"));
}

bool InjectedFileFault::fail(const QString &what)
{
    m_errorString = what + QStringLiteral(": ") + systemReason();
    return false;
}
