#pragma once

#include <QString>

#include <memory>

// How writing or removing a player data file fails on an operator's machine.
enum class FileFault {
    DirectoryInName, // a directory holds the file's name
    FileSizeLimit, // the process may not make files this large (as a full quota does)
    FullFileSystem, // no space left
    ReadOnlyFileSystem,
    ImmutableFile, // the file can be neither replaced nor removed (chattr +i)
    // The operator made the file read-only (mode 0444 on Linux, where the console then runs as
    // another user, since root may write anything and the folder would let anyone replace it;
    // attrib +r on Windows).
    ReadOnlyFile,
    HeldByAnotherProcess, // another program has the file open without sharing it (Windows)
    FolderOfAnotherUser, // the console's user may not write the working folder
    // A written file's data cannot reach the disk: fsync fails for want of space (as on a
    // thinly provisioned or network disk) or with an input/output error (a failing disk).
    // Takes the test run with the library FailingFsyncUnix.cpp preloaded, as ctest does.
    SyncNoSpace,
    SyncIoError,
    // The working folder is removed while the console runs (Linux; Windows refuses to remove
    // a folder that a program works in). Lifted, a new folder of that name is the working one.
    WorkingFolderRemoved,
};

// One fault, injected the way it really happens on this platform (FileFaultsUnix.cpp,
// FileFaultsWindows.cpp). The Linux file-system faults need a small file system of their
// own: constructing the fault mounts one (root only) and makes a folder on it the working
// directory until the fault goes. skipReason() tells why a fault cannot be injected here,
// on this platform or without root; a test then skips.
class InjectedFileFault
{
public:
    explicit InjectedFileFault(FileFault fault);
    ~InjectedFileFault();
    Q_DISABLE_COPY(InjectedFileFault)

    QString skipReason() const { return m_skipReason; }
    QString errorString() const { return m_errorString; }

    // Makes writing or removing `name` in the working directory fail from now on.
    bool inject(const QString &name);
    // Takes the fault away again: room on the disk, the limit lifted, and so on.
    bool lift();

private:
    // This platform's faults (FileFaultsUnix.cpp, FileFaultsWindows.cpp).
    bool injectHere(const QString &name);
    bool liftHere();
    bool fail(const QString &what);

    struct Private; // what the platform needs to keep while the fault is there
    FileFault m_fault;
    QString m_skipReason;
    QString m_errorString;
    QString m_name; // the file the fault is on, while injected
    bool m_injected = false;
    std::unique_ptr<Private> d;
};
