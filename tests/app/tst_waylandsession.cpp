#include "ConsoleProcess.h"
#include "ProcessStatusUnix.h"
#include "ScratchDirectory.h"
#include "WestonSessionUnix.h"

#include <QTest>

#include <algorithm>
#include <memory>

// The console in a Wayland session: whatever the session tells Qt in QT_QPA_PLATFORM, the
// console shows its window through Qt's Wayland platform, with a title bar that it draws
// itself, since the compositor (weston here, GNOME alike) draws none.
class tst_WaylandSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void showsItsWindowWithTitleBar_data();
    void showsItsWindowWithTitleBar();

private:
    std::unique_ptr<WestonSession> m_session;
};

namespace {

// Each plugin of Qt's that the window needs in the session, by the tail of its file's path.
struct NeededPlugin
{
    const char *what;
    QString pathTail;
};

const NeededPlugin neededPlugins[] = {
    {"Qt's Wayland platform", QStringLiteral("/platforms/libqwayland-generic.so")},
    {"the desktop window shell", QStringLiteral("/wayland-shell-integration/libxdg-shell.so")},
    {"the window's own title bar", QStringLiteral("/wayland-decoration-client/libbradient.so")},
};

bool hasFileEndingIn(const QStringList &files, const QString &tail)
{
    return std::any_of(files.begin(), files.end(),
                       [&tail](const QString &file) { return file.endsWith(tail); });
}

} // namespace

void tst_WaylandSession::initTestCase()
{
    m_session = std::make_unique<WestonSession>();
    QVERIFY2(m_session->error().isEmpty(), qPrintable(m_session->error()));
}

void tst_WaylandSession::showsItsWindowWithTitleBar_data()
{
    QTest::addColumn<QString>("platform"); // QT_QPA_PLATFORM; null: not set
    QTest::newRow("wayland") << QStringLiteral("wayland");
    QTest::newRow("wayland;xcb") << QStringLiteral("wayland;xcb");
    QTest::newRow("not set") << QString();
}

void tst_WaylandSession::showsItsWindowWithTitleBar()
{
    QFETCH(QString, platform);
    const ScratchDirectory directory;
    QVERIFY(directory.isValid());
    QProcessEnvironment environment = m_session->clientEnvironment();
    if (!platform.isNull()) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    }
    // The console reports on its standard output once its window is shown.
    environment.insert(QStringLiteral("KELMI_READY_FD"), QStringLiteral("1"));
    ConsoleProcess console(QStringLiteral(KELMI_CONSOLE_PATH));
    console.setEnvironment(environment);

    QCOMPARE(console.start({}), QByteArray("ready"));
    const QStringList loaded = processMappedFiles(console.pid());
    for (const NeededPlugin &plugin : neededPlugins) {
        QVERIFY2(hasFileEndingIn(loaded, plugin.pathTail),
                 qPrintable(QStringLiteral("%1 (%2) is not loaded")
                                .arg(QString::fromLatin1(plugin.what), plugin.pathTail)));
    }
}

QTEST_GUILESS_MAIN(tst_WaylandSession)
#include "tst_waylandsession.moc"
