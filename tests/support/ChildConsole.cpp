#include "ChildConsole.h"

#include <QDeadlineTimer>

#include <unistd.h>

ChildConsole::~ChildConsole()
{
    kill();
}

bool ChildConsole::canRunAsNobody()
{
    return ::geteuid() == 0;
}

QByteArray ChildConsole::start(const QStringList &arguments, User user)
{
    const QString child = QStringLiteral(KELMI_TEST_CHILD_PATH);
    if (user == User::Nobody) {
        // The child may not enter the test's private working directory.
        m_process.setWorkingDirectory(QStringLiteral("/"));
        m_process.start(QStringLiteral("setpriv"),
                        QStringList {QStringLiteral("--reuid=65534"),
                                     QStringLiteral("--regid=65534"),
                                     QStringLiteral("--clear-groups"), child}
                            + arguments);
    } else {
        m_process.start(child, arguments);
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
