#pragma once

#include "PortFailure.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <optional>

// Another console process, which tells on its standard output what it does, one line at a
// time: the test child (kelmi-test-child, see TestChildMain.cpp) that a test can kill or
// run as another user, or a program that reports the same way.
class ConsoleProcess
{
public:
    enum class User { Same, Nobody };

    // The test child, built beside the tests.
    static QString testChild();

    explicit ConsoleProcess(const QString &program = testChild());
    ~ConsoleProcess();
    Q_DISABLE_COPY(ConsoleProcess)

    // Dropping to nobody takes root; without it a test skips.
    static bool canRunAsNobody();

    // Starts the program with these arguments and returns its first line: for the test
    // child "started" once it is at work, or how it ended straight away.
    QByteArray start(const QStringList &arguments, User user = User::Same);
    // The next line, waiting up to timeoutMs for it; "no line: " and the standard error
    // when none came.
    QByteArray nextLine(int timeoutMs = 5000);
    qint64 pid() const { return m_process.processId(); }
    // How the program ended, once it has within timeoutMs: its exit code, or -1 when it is
    // still running or was killed by a signal.
    int exitCode(int timeoutMs = 5000);
    // SIGKILL, as a crash or the task manager would end it.
    void kill();

    // The port failure in a "failed ..." line of the test child's reception.
    static std::optional<PortFailure> failure(const QByteArray &line);

private:
    QString m_program;
    QProcess m_process;
};
