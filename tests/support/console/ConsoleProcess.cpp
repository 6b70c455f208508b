#include "ConsoleProcess.h"

#include "PortFailureText.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// nobody may not reach a build folder below a private home (/root is 0700), so it runs a
// copy of the program from a folder that everyone may enter. The test child links Qt's
// shared libraries only, so the copy runs anywhere.
QString copyForNobody(const QString &program)
{
    static QTemporaryDir folder;
    const QString copy = folder.filePath(QFileInfo(program).fileName());
    if (folder.isValid() && !QFile::exists(copy)) {
        QFile::setPermissions(folder.path(),
                              QFile::permissions(folder.path()) | QFile::ExeGroup | QFile::ReadGroup
                                  | QFile::ExeOther | QFile::ReadOther);
        QFile::copy(program, copy);
    }
    return copy;
}

} // namespace

QString ConsoleProcess::testChild()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/kelmi-test-child");
}

ConsoleProcess::ConsoleProcess(const QString &program)
    : m_program(program)
{ }

ConsoleProcess::~ConsoleProcess()
{
    kill();
}

bool ConsoleProcess::canRunAsNobody()
{
#ifdef Q_OS_UNIX
    return ::geteuid() == 0;
#else
    return false;
#endif
}

QByteArray ConsoleProcess::start(const QStringList &arguments, User user)
{
    if (user == User::Nobody) {
        // The child may not enter the test's private working directory.
        m_process.setWorkingDirectory(QStringLiteral("/"));
        m_process.start(QStringLiteral("setpriv"),
                        QStringList {QStringLiteral("--reuid=65534"),
                                     QStringLiteral("--regid=65534"),
                                     QStringLiteral("--clear-groups"), copyForNobody(m_program)}
                            + arguments);
    } else {
        m_process.start(m_program, arguments);
    }
    return nextLine();
}

QByteArray ConsoleProcess::nextLine(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_process.canReadLine() && !deadline.hasExpired()
           && m_process.state() != QProcess::NotRunning) {
        m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
    if (!m_process.canReadLine()) {
        // A child that ended may still have its last line in the pipe.
        m_process.waitForFinished(0);
    }
    QByteArray line = m_process.readLine();
    if (line.isEmpty()) {
        return "no line: " + m_process.readAllStandardError();
    }
    return line.trimmed();
}

int ConsoleProcess::exitCode(int timeoutMs)
{
    if (!m_process.waitForFinished(timeoutMs) || m_process.exitStatus() != QProcess::NormalExit) {
        return -1;
    }
    return m_process.exitCode();
}

void ConsoleProcess::kill()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

std::optional<PortFailure> ConsoleProcess::failure(const QByteArray &line)
{
    return line.startsWith("failed ") ? portFailureFromLine(line.mid(7)) : std::nullopt;
}
