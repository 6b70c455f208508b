#include "WestonSessionUnix.h"

#include <QDeadlineTimer>
#include <QFile>

namespace {

const QString socketName = QStringLiteral("kelmi-test");
// A generous limit for weston on a loaded machine; it only stops a hung test.
constexpr int listenTimeoutMs = 20000;

} // namespace

WestonSession::WestonSession()
{
    if (!m_runtimeFolder.isValid()) {
        m_error = QStringLiteral("no runtime folder: ") + m_runtimeFolder.errorString();
        return;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeFolder.path());
    m_weston.setProcessEnvironment(environment);
    m_weston.setProcessChannelMode(QProcess::MergedChannels);
    m_weston.start(QStringLiteral("weston"),
                   {QStringLiteral("--backend=headless-backend.so"),
                    QStringLiteral("--socket=") + socketName, QStringLiteral("--no-config")});
    if (!m_weston.waitForStarted()) {
        m_error = QStringLiteral("weston does not start (scripts/setup installs it): ")
            + m_weston.errorString();
        return;
    }
    // weston makes its socket once it is ready to accept clients.
    const QString socket = m_runtimeFolder.filePath(socketName);
    const QDeadlineTimer deadline(listenTimeoutMs);
    while (!QFile::exists(socket) && m_weston.state() == QProcess::Running
           && !deadline.hasExpired()) {
        m_weston.waitForFinished(20);
    }
    if (!QFile::exists(socket)) {
        m_error = QStringLiteral("weston does not listen: ")
            + QString::fromLocal8Bit(m_weston.readAll());
    }
}

WestonSession::~WestonSession()
{
    if (m_weston.state() != QProcess::NotRunning) {
        m_weston.terminate();
        if (!m_weston.waitForFinished()) {
            m_weston.kill();
            m_weston.waitForFinished();
        }
    }
}

QProcessEnvironment WestonSession::clientEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : environment.keys()) {
        if (name.startsWith(QLatin1String("QT_WAYLAND_"))) {
            environment.remove(name);
        }
    }
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeFolder.path());
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), socketName);
    environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    return environment;
}
