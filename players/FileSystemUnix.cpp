#include "FileSystem.h"

#include <QFileDevice>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

bool flushToDisk(QFileDevice &file, SystemError *error)
{
    int result;
    do {
        result = ::fsync(file.handle());
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        *error = SystemError::fromCode(errno);
        return false;
    }
    return true;
}

void syncWorkingDirectory()
{
    const int directory = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        ::fsync(directory);
        ::close(directory);
    }
}

bool isSystemFile(const QString &)
{
    return false;
}
