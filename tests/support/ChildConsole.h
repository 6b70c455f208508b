#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// Another console process (kelmi-test-child) that a test can kill or run as another user.
class ChildConsole
{
public:
    enum class User { Same, Nobody };

    ChildConsole() = default;
    ~ChildConsole();
    ChildConsole(const ChildConsole &) = delete;
    ChildConsole &operator=(const ChildConsole &) = delete;

    // Dropping to nobody takes root; without it a test skips.
    static bool canRunAsNobody();

    // Starts the child with these arguments (see ConsoleChild.cpp) and returns its first
    // line: "started" once it is at work, or how it ended straight away.
    QByteArray start(const QStringList &arguments, User user = User::Same);
    // The child's next line, waiting up to timeoutMs for it.
    QByteArray nextLine(int timeoutMs = 5000);
    qint64 pid() const { return m_process.processId(); }
    // SIGKILL, as a crash or the task manager would end it.
    void kill();

    // The operator's message in a "failed ..." line.
    static QString failureMessage(const QByteArray &line);

private:
    QProcess m_process;
};
