#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// A Wayland session of a test's own (Linux): weston on its headless back end, which needs no
// screen or input device, listening in a runtime folder of its own. Its clients get no X
// display, so Qt cannot fall back to X11; and weston, like GNOME, draws no title bars, so a
// window shows one only if it draws it itself.
class WestonSession
{
public:
    // Starts weston and waits until it listens.
    WestonSession();
    ~WestonSession();
    WestonSession(const WestonSession &) = delete;
    WestonSession &operator=(const WestonSession &) = delete;

    // Empty once weston listens, else why it does not.
    QString error() const { return m_error; }

    // The environment of a program started in the session: this one's, with the session's
    // runtime folder and socket and the Wayland session type; without an X display or a
    // platform or Wayland setting chosen for Qt.
    QProcessEnvironment clientEnvironment() const;

private:
    QTemporaryDir m_runtimeFolder;
    QProcess m_weston;
    QString m_error;
};
