#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A fresh, empty working directory for one test case, where the console reads and writes
// its player data files; the previous working directory comes back when it goes, and
// everything made in it goes with it, folders with names the system cannot decode too.
class ScratchDirectory
{
public:
    ScratchDirectory();
    ~ScratchDirectory();
    Q_DISABLE_COPY(ScratchDirectory)

    bool isValid() const { return m_entered; }

    // Makes a folder of this name (raw bytes: Shift_JIS, say, which a UTF-8 system cannot
    // decode) in the working directory and makes it the working directory.
    static bool enterNewFolder(const QByteArray &rawName);

private:
    QString m_previous;
    QTemporaryDir m_directory;
    bool m_entered = false;
};

// A file's whole content; empty when it cannot be read.
QByteArray readFile(const QString &name);

// Creates an empty file; false when it cannot.
bool touch(const QString &name);

// Makes in the working folder what each entry names: "name" an empty file, "name/" a folder,
// "name:hidden" or "name:system" an empty file with the mark that attrib +h or +s puts on it
// and a listing of ordinary files leaves out (Windows only). False when any cannot be made.
bool makeEntries(const QStringList &entries);

// What else than an ordinary file can bear a player data file's name in the working folder
// (Linux): a symbolic link to an ordinary file outside the folder, to a character device, to
// a folder, one that points nowhere, and a FIFO.
enum class NameBearer { LinkToFile, LinkToDevice, LinkToFolder, DanglingLink, Fifo };

// Makes the bearer of `name` in the working folder; a link's target is made in `elsewhere`
// (the device with mknod, which takes root) and returned in `target`. False when it cannot.
bool makeNameBearer(NameBearer bearer, const QString &name, const QString &elsewhere,
                    QString *target);
