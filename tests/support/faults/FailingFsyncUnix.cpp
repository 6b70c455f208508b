// Preloaded into a test (LD_PRELOAD), makes fsync() of a file fail as it does when the file's
// data cannot reach the disk: while KELMI_FAILING_FSYNC is set, with the error number it names.
// Directories sync as usual, so only the file fails, not the sync of its folder.
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

extern "C" {

// Tells a test that this library is loaded.
int kelmi_failing_fsync_loaded = 1;

int fsync(int fd)
{
    const char *failure = std::getenv("KELMI_FAILING_FSYNC");
    struct stat file = {};
    if (failure && ::fstat(fd, &file) == 0 && !S_ISDIR(file.st_mode)) {
        errno = std::atoi(failure);
        return -1;
    }
    return int(::syscall(SYS_fsync, fd));
}

} // extern "C"
