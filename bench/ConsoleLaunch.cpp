#include "ConsoleLaunch.h"

#include "ProcessStatus.h"

#include <QByteArray>
#include <QList>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

// How long a console may take to report readiness before the run counts as failed.
constexpr int readinessTimeoutMs = 10000;
// The first paints and layout run right after readiness; the peak is read once they have.
constexpr auto settleTime = std::chrono::milliseconds(200);

QList<QByteArray> childEnvironment(int readyFd)
{
    QList<QByteArray> environment;
    for (char **entry = environ; *entry; ++entry) {
        const QByteArray variable(*entry);
        if (!variable.startsWith("QT_QPA_PLATFORM=") && !variable.startsWith("KELMI_READY_FD=")) {
            environment.append(variable);
        }
    }
    environment.append("QT_QPA_PLATFORM=offscreen");
    environment.append("KELMI_READY_FD=" + QByteArray::number(readyFd));
    return environment;
}

QString systemError(const char *what, int error)
{
    return QString::fromLocal8Bit(what) + QStringLiteral(": ")
        + QString::fromLocal8Bit(std::strerror(error));
}

// Reads from fd until "ready\n" has come; false on end of file, error or time-out.
bool awaitReadiness(int fd)
{
    QByteArray received;
    const auto deadline = Clock::now() + std::chrono::milliseconds(readinessTimeoutMs);
    while (!received.contains("ready\n")) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd descriptor {fd, POLLIN, 0};
        const int ready = ::poll(&descriptor, 1, int(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return false;
        }
        char chunk[64];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0) {
            return false;
        }
        received.append(chunk, n);
    }
    return true;
}

} // namespace

ConsoleLaunch::Result ConsoleLaunch::runOnce(const QString &program,
                                             const QString &workingDirectory)
{
    Result result;
    int pipeFds[2] = {-1, -1};
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        result.error = systemError("pipe", errno);
        return result;
    }
    // Only the write end goes to the console.
    ::fcntl(pipeFds[1], F_SETFD, 0);

    const QByteArray path = program.toLocal8Bit();
    const QByteArray directory = workingDirectory.toLocal8Bit();
    QList<QByteArray> environment = childEnvironment(pipeFds[1]);
    QList<char *> envp;
    for (QByteArray &variable : environment) {
        envp.append(variable.data());
    }
    envp.append(nullptr);
    char *argv[] = {const_cast<char *>(path.constData()), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, directory.constData());

    pid_t pid = 0;
    const Clock::time_point start = Clock::now();
    const int spawnError
        = ::posix_spawn(&pid, path.constData(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawnError != 0) {
        ::close(pipeFds[0]);
        result.error = systemError("posix_spawn", spawnError);
        return result;
    }

    const bool ready = awaitReadiness(pipeFds[0]);
    const Clock::time_point end = Clock::now();
    ::close(pipeFds[0]);
    if (ready) {
        result.startUpMs = std::chrono::duration<double, std::milli>(end - start).count();
        std::this_thread::sleep_for(settleTime);
        result.peakResidentKiB = processStatusKiB(pid, "VmHWM");
    } else {
        result.error = QStringLiteral("%1 did not report readiness").arg(program);
    }

    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return result;
}
