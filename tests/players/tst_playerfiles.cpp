#include "ConsoleProcess.h"
#include "Examples.h"
#include "PlayerFiles.h"
#include "ScratchDirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <optional>

class tst_PlayerFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void bytes_data();
    void bytes();
    void replaceKeepsPermissions_data();
    void replaceKeepsPermissions();
    void fileHeldForAWhile_data();
    void fileHeldForAWhile();
    void saveAndDelete_data();
    void saveAndDelete();
    void saveAndDeleteOverWhatBearsTheName_data();
    void saveAndDeleteOverWhatBearsTheName();
    void saveKilledAtAnyMoment_data();
    void saveKilledAtAnyMoment();
    void presence_data();
    void presence();

private:
    std::optional<ScratchDirectory> m_directory;
};

void tst_PlayerFiles::init()
{
    // Every case works in a fresh working directory, as the console does.
    m_directory.emplace();
    QVERIFY(m_directory->isValid());
}

void tst_PlayerFiles::cleanup()
{
    m_directory.reset();
}

void tst_PlayerFiles::bytes_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<PlayerRecord>("record");
    QTest::addColumn<QByteArray>("expected");

    for (const ExampleFile &example : exampleFiles()) {
        QTest::newRow(example.name) << int(example.slot) << example.record << example.bytes;
    }
}

void tst_PlayerFiles::bytes()
{
    QFETCH(int, slot);
    QFETCH(PlayerRecord, record);
    QFETCH(QByteArray, expected);

    const auto playerSlot = static_cast<PlayerSlot>(slot);
    QCOMPARE(writePlayerFile(playerSlot, record), std::nullopt);
    QCOMPARE(readFile(playerFileName(playerSlot)), expected);
    QVERIFY(readFile(playerFileName(playerSlot)).endsWith("\r\n"));
    // Nothing but the target is left behind: no temporary file.
    QCOMPARE(QDir::current().entryList(QDir::Files | QDir::Hidden),
             QStringList {playerFileName(playerSlot)});
}

void tst_PlayerFiles::replaceKeepsPermissions_data()
{
    QTest::addColumn<int>("umask"); // the console's
    QTest::addColumn<int>("earlierMode"); // of the file replaced; -1: none
    QTest::addColumn<int>("mode"); // of the file saved
    QTest::newRow("0640 stays 0640 under umask 077") << 077 << 0640 << 0640;
    QTest::newRow("0604 stays 0604 under umask 022") << 022 << 0604 << 0604;
    QTest::newRow("a new file as the umask gives it") << 027 << -1 << 0640;
}

// The match program may read the files under another account: a save keeps what the operator
// set on the file it replaces, whatever the console's umask.
void tst_PlayerFiles::replaceKeepsPermissions()
{
#ifdef Q_OS_UNIX
    QFETCH(int, umask);
    QFETCH(int, earlierMode);
    QFETCH(int, mode);

    const QByteArray name = QFile::encodeName(playerFileName(PlayerSlot::Two));
    if (earlierMode >= 0) {
        QVERIFY(touch(QString::fromLatin1(name)));
        QCOMPARE(::chmod(name.constData(), mode_t(earlierMode)), 0);
    }
    const mode_t previousMask = ::umask(mode_t(umask));
    const std::optional<SystemError> error = writePlayerFile(PlayerSlot::Two, {1, 2, 3});
    ::umask(previousMask);
    QCOMPARE(error, std::nullopt);
    struct stat saved = {};
    QCOMPARE(::stat(name.constData(), &saved), 0);
    QCOMPARE(int(saved.st_mode & 07777), mode);
    QCOMPARE(readFile(QString::fromLatin1(name)), playerFileBytes({1, 2, 3}));
#else
    QSKIP("Windows files have no permission bits; a read-only one is refused (tst_form1)");
#endif
}

void tst_PlayerFiles::fileHeldForAWhile_data()
{
    QTest::addColumn<bool>("save"); // else a delete
    QTest::addColumn<int>("heldMs"); // by another program, from just before the click
    QTest::addColumn<bool>("done");
    QTest::addColumn<int>("sessionEndsMs"); // from the click; -1: it goes on
    QTest::newRow("save, held for 300 ms") << true << 300 << true << -1;
    QTest::newRow("delete, held for 300 ms") << false << 300 << true << -1;
    QTest::newRow("save, held past the wait") << true << 4000 << false << -1;
    QTest::newRow("delete, held past the wait") << false << 4000 << false << -1;
    QTest::newRow("save, the session ending meanwhile") << true << 4000 << false << 300;
}

// A virus scanner or the match program opens a fresh player file for a moment: a save or a
// delete waits for it a while, and otherwise fails leaving the file as it was.
void tst_PlayerFiles::fileHeldForAWhile()
{
#ifdef Q_OS_WIN
    QFETCH(bool, save);
    QFETCH(int, heldMs);
    QFETCH(bool, done);
    QFETCH(int, sessionEndsMs);

    const QString name = playerFileName(PlayerSlot::One);
    const PlayerRecord earlier {0, 0, 0, 0, 0};
    QCOMPARE(writePlayerFile(PlayerSlot::One, earlier), std::nullopt);
    ConsoleProcess holder;
    QCOMPARE(holder.start({QStringLiteral("hold"), QDir::current().absoluteFilePath(name),
                           QString::number(heldMs)}),
             QByteArray("started"));
    // Windows ends the program as soon as the end of the session has been handled: what is
    // in the folder then is what stays.
    QStringList filesAtEnd;
    QObject session;
    if (sessionEndsMs >= 0) {
        QTimer::singleShot(sessionEndsMs, &session, [&] {
            QMetaObject::invokeMethod(QCoreApplication::instance(), "aboutToQuit");
            filesAtEnd = QDir::current().entryList(QDir::Files | QDir::Hidden);
        });
    }
    const std::optional<SystemError> error = save
        ? writePlayerFile(PlayerSlot::One, {3, 21, 60, 2, 1})
        : removePlayerFile(PlayerSlot::One);
    holder.kill();
    if (done) {
        QCOMPARE(error, std::nullopt);
        QCOMPARE(QFile::exists(name), save);
    } else {
        QVERIFY(error);
        QCOMPARE(error->kind, SystemError::Busy);
        QCOMPARE(readFile(name), playerFileBytes(earlier));
    }
    if (sessionEndsMs >= 0) {
        QCOMPARE(filesAtEnd, QStringList {name});
    }
    QCOMPARE(QDir::current().entryList(QDir::Files | QDir::Hidden),
             save || !done ? QStringList {name} : QStringList());
#else
    QSKIP("Linux lets a program replace or remove a file that another program has open");
#endif
}

namespace {

// What a save or a delete meets in place of the slot's file, or around it.
enum class Fault { None, NoFile, Folder, WorkingFolderRemoved };
constexpr int succeeds = -1;

} // namespace

void tst_PlayerFiles::saveAndDelete_data()
{
    QTest::addColumn<bool>("save"); // else a delete
    QTest::addColumn<int>("slot");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("failure"); // SystemError::Kind, or succeeds
    QTest::addColumn<QStringList>("files"); // in the folder afterwards
    const auto row = [](const char *name, bool save, int slot, Fault fault, int failure,
                        const QStringList &files) {
        QTest::newRow(name) << save << slot << fault << failure << files;
    };
    const QString one = QStringLiteral("player1.dat");
    const QString two = QStringLiteral("player2.dat");
    const int isFolder = SystemError::IsFolder;

    row("save 1 over a longer file", true, 1, Fault::None, succeeds, {one, two});
    row("save 1, a folder in its place", true, 1, Fault::Folder, isFolder, {two});
    row("delete 2", false, 2, Fault::None, succeeds, {one});
    row("delete 1, no file", false, 1, Fault::NoFile, succeeds, {two});
    row("delete 2, a folder in its place", false, 2, Fault::Folder, isFolder, {one});
    // The file went with its folder; reported as removed, the slot would look fine while its
    // next save cannot be written anywhere.
    row("delete 1, the working folder removed", false, 1, Fault::WorkingFolderRemoved,
        SystemError::FolderGone, {});
}

void tst_PlayerFiles::saveAndDelete()
{
    QFETCH(bool, save);
    QFETCH(int, slot);
    QFETCH(Fault, fault);
    QFETCH(int, failure);
    QFETCH(QStringList, files);

    const auto playerSlot = static_cast<PlayerSlot>(slot);
    const QString name = playerFileName(playerSlot);
    if (fault == Fault::WorkingFolderRemoved) {
        QVERIFY(ScratchDirectory::enterNewFolder("match"));
    }
    // Both slots' files, longer than any record, then the fault.
    const QByteArray earlier(500, 'x');
    for (const PlayerSlot each : {PlayerSlot::One, PlayerSlot::Two}) {
        QFile file(playerFileName(each));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(earlier) == earlier.size());
    }
    if (fault == Fault::NoFile || fault == Fault::Folder) {
        QVERIFY(QFile::remove(name));
    }
    if (fault == Fault::Folder) {
        QVERIFY(QDir().mkdir(name));
    }
    if (fault == Fault::WorkingFolderRemoved && !QDir(QDir::currentPath()).removeRecursively()) {
        QSKIP("the system keeps a program's working folder from being removed");
    }

    const PlayerRecord record = slot == 1 ? PlayerRecord {1, 2, 3, 1, 0} : PlayerRecord {1, 2, 3};
    const std::optional<SystemError> error
        = save ? writePlayerFile(playerSlot, record) : removePlayerFile(playerSlot);
    if (failure == succeeds) {
        QCOMPARE(error, std::nullopt);
    } else {
        QVERIFY(error);
        QCOMPARE(error->kind, SystemError::Kind(failure));
        // The system's code and words, or none for a failure that the console finds itself.
        QCOMPARE(*error,
                 error->code ? SystemError::fromCode(error->code) : SystemError::of(error->kind));
    }
    // A folder in the file's place stays; a failed save leaves no temporary file behind, and
    // the other slot's file is as it was.
    QCOMPARE(QFileInfo(name).isDir(), fault == Fault::Folder);
    QCOMPARE(QDir(QStringLiteral(".")).entryList(QDir::Files | QDir::Hidden), files);
    for (const QString &file : files) {
        QCOMPARE(readFile(file), file == name ? playerFileBytes(record) : earlier);
    }
}

void tst_PlayerFiles::saveAndDeleteOverWhatBearsTheName_data()
{
    QTest::addColumn<NameBearer>("bearer");
#ifdef Q_OS_UNIX
    QTest::newRow("link to a file outside the folder") << NameBearer::LinkToFile;
    QTest::newRow("link to a character device") << NameBearer::LinkToDevice;
    QTest::newRow("link to a folder") << NameBearer::LinkToFolder;
    QTest::newRow("dangling link") << NameBearer::DanglingLink;
    QTest::newRow("FIFO") << NameBearer::Fifo;
#endif
}

namespace {
#ifdef Q_OS_UNIX
// What a name stands for itself, not following a link: its type, device, inode and size.
QString identity(const QString &name)
{
    struct stat info = {};
    if (::lstat(QFile::encodeName(name).constData(), &info) != 0) {
        return QStringLiteral("missing");
    }
    return QStringLiteral("mode %1, rdev %2, inode %3, %4 bytes")
        .arg(info.st_mode, 0, 8)
        .arg(info.st_rdev)
        .arg(info.st_ino)
        .arg(info.st_size);
}
#endif
} // namespace

// Whatever bears a player file's name, a save puts a regular file with the record in the
// folder in its place and a delete removes the name; nothing outside the folder changes.
void tst_PlayerFiles::saveAndDeleteOverWhatBearsTheName()
{
#ifdef Q_OS_UNIX
    QFETCH(NameBearer, bearer);

    if (bearer == NameBearer::LinkToDevice && ::geteuid() != 0) {
        QSKIP("making a device node needs root");
    }
    QTemporaryDir elsewhere;
    QVERIFY(elsewhere.isValid());
    const QString name = playerFileName(PlayerSlot::One);
    QString target;
    QVERIFY(makeNameBearer(bearer, name, elsewhere.path(), &target));
    const QString targetBefore = identity(target);
    const QByteArray targetContent = readFile(target);
    const QStringList elsewhereBefore = QDir(elsewhere.path()).entryList(QDir::AllEntries);

    const PlayerRecord record {3, 21, 60, 2, 1};
    QCOMPARE(writePlayerFile(PlayerSlot::One, record), std::nullopt);
    QVERIFY2(QFileInfo(name).isFile() && !QFileInfo(name).isSymLink(), qPrintable(identity(name)));
    QCOMPARE(readFile(name), playerFileBytes(record));
    QCOMPARE(QDir::current().entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                       | QDir::NoDotAndDotDot),
             QStringList {name});
    QCOMPARE(identity(target), targetBefore);
    QCOMPARE(readFile(target), targetContent);
    QCOMPARE(QDir(elsewhere.path()).entryList(QDir::AllEntries), elsewhereBefore);
    QVERIFY(playerFilePresent(PlayerSlot::One));

    // The same bearer again, and a delete: the name goes, its target stays.
    QVERIFY(QFile::remove(name));
    if (bearer == NameBearer::Fifo || bearer == NameBearer::DanglingLink) {
        QVERIFY(makeNameBearer(bearer, name, elsewhere.path(), &target));
    } else {
        QVERIFY(QFile::link(target, name));
    }
    QVERIFY(!playerFilePresent(PlayerSlot::One));
    QCOMPARE(removePlayerFile(PlayerSlot::One), std::nullopt);
    QCOMPARE(identity(name), QStringLiteral("missing"));
    QCOMPARE(identity(target), targetBefore);
    QCOMPARE(readFile(target), targetContent);
#else
    QSKIP("Wine makes no symbolic links for a test to put in a player file's place");
#endif
}

void tst_PlayerFiles::saveKilledAtAnyMoment_data()
{
    QTest::addColumn<bool>("earlierFile");
    // 0: killed (SIGKILL on Linux, the task manager on Windows); otherwise the signal that asks
    // the console to end, which it heeds between saves.
    QTest::addColumn<int>("signal");
    QTest::newRow("no earlier file") << false << 0;
    QTest::newRow("earlier file") << true << 0;
#ifdef Q_OS_UNIX
    QTest::newRow("earlier file, SIGTERM") << true << SIGTERM;
    QTest::newRow("no earlier file, SIGHUP") << false << SIGHUP;
    QTest::newRow("earlier file, SIGINT") << true << SIGINT;
#endif
}

void tst_PlayerFiles::saveKilledAtAnyMoment()
{
    QFETCH(bool, earlierFile);
    QFETCH(int, signal);

    // A second console saves over and over until it is killed, at a random moment each round.
    // Whenever that happens, player1.dat is as it was before or one whole record.
    const QStringList records {QStringLiteral("3,21,60,2,1"), QStringLiteral("1,2,3,0,0")};
    const QByteArray earlier = playerFileBytes({0, 0, 0, 0, 0});
    const QByteArray whole[]
        = {playerFileBytes({3, 21, 60, 2, 1}), playerFileBytes({1, 2, 3, 0, 0})};
    const QString name = playerFileName(PlayerSlot::One);
    QRandomGenerator random(QRandomGenerator::global()->generate());
#ifdef Q_OS_WIN
    constexpr int rounds = 10; // a program takes half a second to start under Wine
#else
    // A console that heeds the signal ends between saves whenever it comes: fewer rounds do.
    const int rounds = signal ? 20 : 100;
#endif
    int newRecords = 0;
    for (int round = 0; round < rounds; ++round) {
        QFile::remove(name);
        if (earlierFile) {
            QCOMPARE(writePlayerFile(PlayerSlot::One, {0, 0, 0, 0, 0}), std::nullopt);
        }
        ConsoleProcess child;
        QCOMPARE(child.start(QStringList {QStringLiteral("save")} + records),
                 QByteArray("started"));
        QTest::qSleep(0); // yield the core, so the child starts saving
        QThread::usleep(random.bounded(8000));
#ifdef Q_OS_UNIX
        if (signal) {
            // The save under way finishes, the console ends, and nothing is left half-done.
            QCOMPARE(::kill(pid_t(child.pid()), signal), 0);
            QCOMPARE(child.exitCode(), 0);
            const QStringList left = QDir::current().entryList(QDir::Files | QDir::Hidden);
            QVERIFY2(left == QStringList {name} || (left.isEmpty() && !earlierFile),
                     qPrintable(left.join(u' ')));
        }
#else
        Q_UNUSED(signal);
#endif
        child.kill();

        if (!QFile::exists(name)) {
            QVERIFY2(!earlierFile, "a killed save lost the earlier file");
            continue;
        }
        const QByteArray content = readFile(name);
        if (content != earlier) {
            QVERIFY2(content == whole[0] || content == whole[1], content.toHex(' ').constData());
            ++newRecords;
        }
    }
    // Some kills came late enough for a save to have been done, so the saves really ran.
    QVERIFY(newRecords > 0);
    qInfo("%d of %d kills came after a whole new record; left in the directory: %s", newRecords,
          rounds, qPrintable(QDir::current().entryList(QDir::Files | QDir::Hidden).join(u' ')));
}

void tst_PlayerFiles::presence_data()
{
    QTest::addColumn<QStringList>("made"); // in the folder, as makeEntries() names them
    QTest::addColumn<QList<NameBearer>>("bearers"); // of player1.dat, in place of a file (Linux)
    QTest::addColumn<bool>("player1");
    QTest::addColumn<bool>("player2");
    const auto row = [](const char *name, const QStringList &made, bool player1, bool player2,
                        const QList<NameBearer> &bearers = {}) {
        QTest::newRow(name) << made << bearers << player1 << player2;
    };
    const QString one = QStringLiteral("player1.dat");
    const QString two = QStringLiteral("player2.dat");

    row("none", {}, false, false);
    row("only player2.dat", {two}, false, true);
    row("both", {one, two}, true, true);
    row("directory named player1.dat", {one + u'/'}, false, false);
    row("PLAYER1.DAT in capitals", {QStringLiteral("PLAYER1.DAT")}, false, false);
    row("similar names", {QStringLiteral("player1.dat.bak"), QStringLiteral("xplayer2.dat")}, false,
        false);
#ifdef Q_OS_UNIX
    // A link, even to an ordinary file, is no file in the folder; nor is a FIFO.
    row("player1.dat a link to a file elsewhere", {two}, false, true, {NameBearer::LinkToFile});
    row("player1.dat a dangling link", {two}, false, true, {NameBearer::DanglingLink});
    row("player1.dat a FIFO", {two}, false, true, {NameBearer::Fifo});
#endif
#ifdef Q_OS_WIN
    row("hidden player1.dat", {one + QStringLiteral(":hidden"), two}, false, true);
    row("system player2.dat", {one, two + QStringLiteral(":system")}, true, false);
#endif
}

void tst_PlayerFiles::presence()
{
    QFETCH(QStringList, made);
    QFETCH(QList<NameBearer>, bearers);
    QFETCH(bool, player1);
    QFETCH(bool, player2);

    QVERIFY(makeEntries(made));
    QTemporaryDir elsewhere;
    for (NameBearer bearer : bearers) {
        QString target;
        QVERIFY(makeNameBearer(bearer, QStringLiteral("player1.dat"), elsewhere.path(), &target));
    }
    QCOMPARE(playerFilePresent(PlayerSlot::One), player1);
    QCOMPARE(playerFilePresent(PlayerSlot::Two), player2);
}

QTEST_GUILESS_MAIN(tst_PlayerFiles)
#include "tst_playerfiles.moc"
