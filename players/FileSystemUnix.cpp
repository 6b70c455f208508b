#include "FileSystem.h"

#include <QFile>
#include <QStringDecoder>

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A removed working folder still is the process's working folder, with no links left to it:
// every name in it is then "not found".
bool workingFolderGone()
{
    struct stat folder = {};
    return ::stat(".", &folder) == 0 && folder.st_nlink == 0;
}

SystemError lastError()
{
    const int code = errno;
    if (code == ENOENT && workingFolderGone()) {
        return SystemError::of(SystemError::FolderGone);
    }
    return SystemError::fromCode(code);
}

// What a save or a delete must keep of the file that bears the name now: whether this user
// may change it at all (the rename and the removal need only the folder's permission, so the
// file's own is asked here), and its permission bits, which the new file takes over.
struct Existing
{
    std::optional<SystemError> refusal;
    std::optional<mode_t> mode; // an ordinary file's permission bits
};

Existing existing(const QByteArray &name)
{
    struct stat file = {};
    if (::lstat(name.constData(), &file) != 0 || !S_ISREG(file.st_mode)) {
        return {}; // nothing, or no ordinary file: nothing to keep
    }
    Existing found {std::nullopt, file.st_mode & 0777};
    // As the effective user (and file-system user) that will change it; root may always. Only
    // where the folder would let the file go is it the file's own permission that keeps it.
    const auto mayWrite = [](const char *path, int mode) {
        return ::faccessat(AT_FDCWD, path, mode, AT_EACCESS) == 0;
    };
    if (!mayWrite(name.constData(), W_OK) && errno == EACCES && mayWrite(".", W_OK | X_OK)) {
        found.refusal = SystemError::of(SystemError::ReadOnlyFile);
    }
    return found;
}

template<class Call> int retried(Call call)
{
    int result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

// A full disk or a file-size limit can take part of a write and refuse the rest; the next
// write then says why. (With SIGXFSZ ignored, a write beyond the limit fails with EFBIG.)
bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = retried(
            [&] { return int(::write(fd, bytes.constData() + done, bytes.size() - done)); });
        if (written < 0) {
            return false;
        }
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        done += written;
    }
    return true;
}

// Puts the folder's entries (a rename, a removal) on the disk, so that a power cut right
// after a click cannot bring back the old state. A folder that cannot be synced leaves the
// operation done all the same.
void syncWorkingFolder()
{
    const int folder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

} // namespace

std::optional<SystemError> replaceFile(const QString &name, const QByteArray &bytes)
{
    const QByteArray target = QFile::encodeName(name);
    const Existing before = existing(target);
    if (before.refusal) {
        return before.refusal;
    }
    QByteArray temporary;
    // With the permissions the user's umask gives any new file.
    const int fd = createTemporary(
        target, &temporary,
        [&] {
            return retried([&] {
                return ::open(temporary.constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            });
        },
        [](int made) { return made < 0 && errno == EEXIST; });
    if (fd < 0) {
        return lastError();
    }
    // The replaced file's permission bits, so that the match program reads the new one as it
    // read the old, whatever the console's umask.
    bool written = (!before.mode || ::fchmod(fd, *before.mode) == 0) && writeAll(fd, bytes)
        && retried([&] { return ::fsync(fd); }) == 0;
    SystemError error = written ? SystemError() : lastError();
    // A network disk may report a failed write only when the file closes.
    if (::close(fd) != 0 && written && errno != EINTR) {
        written = false;
        error = lastError();
    }
    // The rename replaces the name itself: a link is replaced, not followed.
    if (written && ::rename(temporary.constData(), target.constData()) != 0) {
        written = false;
        error = lastError();
    }
    if (!written) {
        ::unlink(temporary.constData());
        return error;
    }
    syncWorkingFolder();
    return std::nullopt;
}

std::optional<SystemError> removeFile(const QString &name)
{
    const QByteArray target = QFile::encodeName(name);
    if (const Existing before = existing(target); before.refusal) {
        return before.refusal;
    }
    if (::unlink(target.constData()) != 0) {
        const SystemError error = lastError();
        // Taken meanwhile (say by the match program): the operator's goal is met.
        if (error.code != ENOENT) {
            return error;
        }
        return std::nullopt;
    }
    syncWorkingFolder();
    return std::nullopt;
}

bool listsOrdinaryFile(const QString &name)
{
    const QByteArray wanted = QFile::encodeName(name);
    DIR *folder = ::opendir(".");
    if (!folder) {
        return false;
    }
    bool found = false;
    while (const dirent *entry = ::readdir(folder)) {
        if (wanted == entry->d_name) {
            struct stat file = {};
            found = ::fstatat(::dirfd(folder), entry->d_name, &file, AT_SYMLINK_NOFOLLOW) == 0
                && S_ISREG(file.st_mode);
            break;
        }
    }
    ::closedir(folder);
    return found;
}

QString workingFolderForDisplay()
{
    // glibc finds a path longer than PATH_MAX as well when it may allocate the buffer.
    char *path = ::getcwd(nullptr, 0);
    if (!path) {
        return QString();
    }
    const QByteArray bytes(path);
    std::free(path);
    // A folder unpacked from a Windows archive is often named in Shift_JIS; anything else that
    // is not UTF-8 shows with replacement marks.
    for (const char *encoding : {"UTF-8", "Shift_JIS"}) {
        QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
        const QString decoded = decoder.isValid() ? decoder.decode(bytes) : QString();
        if (decoder.isValid() && !decoder.hasError()) {
            return decoded;
        }
    }
    return QString::fromUtf8(bytes);
}
