#include "ChildConsole.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

ChildConsole::~ChildConsole()
{
    kill();
}

namespace {

// Built beside the tests.
QString childProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/kelmi-test-child");
}

// nobody may not reach a build folder below a private home (/root is 0700), so it runs a
// copy of the child from a folder that everyone may enter. The child links Qt's shared
// libraries only, so the copy runs anywhere.
QString childForNobody()
{
    static QTemporaryDir folder;
    const QString copy = folder.filePath(QStringLiteral("kelmi-test-child"));
    if (folder.isValid() && !QFile::exists(copy)) {
        QFile::setPermissions(folder.path(),
                              QFile::permissions(folder.path()) | QFile::ExeGroup | QFile::ReadGroup
                                  | QFile::ExeOther | QFile::ReadOther);
        QFile::copy(childProgram(), copy);
    }
    return copy;
}

} // namespace

bool ChildConsole::canRunAsNobody()
{
#ifdef Q_OS_UNIX
    return ::geteuid() == 0;
#else
    return false;
#endif
}

QByteArray ChildConsole::start(const QStringList &arguments, User user)
{
    if (user == User::Nobody) {
        // The child may not enter the test's private working directory.
        m_process.setWorkingDirectory(QStringLiteral("/"));
        m_process.start(QStringLiteral("setpriv"),
                        QStringList {QStringLiteral("--reuid=65534"),
                                     QStringLiteral("--regid=65534"),
                                     QStringLiteral("--clear-groups"), childForNobody()}
                            + arguments);
    } else {
        m_process.start(childProgram(), arguments);
    }
    return nextLine();
}

QByteArray ChildConsole::nextLine(int timeoutMs)
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

void ChildConsole::kill()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

QString ChildConsole::failureMessage(const QByteArray &line)
{
    return line.startsWith("failed ")
        ? QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(7)))
        : QString();
}
