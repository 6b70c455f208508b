#pragma once

#include "SystemError.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QString>

#include <optional>

// The player files' operations in each platform's own calls (FileSystemUnix.cpp,
// FileSystemWindows.cpp). Every name is relative to the working folder, and only the name
// itself is looked at, never what a link of that name points to, so that the files stay in
// the folder whatever its path is (undecodable, too long, renamed meanwhile) and whatever
// else bears the name.

// Writes bytes to a new temporary file beside `name`, puts them on the disk and renames the
// file to `name`, replacing whatever has that name (a file, a link, a FIFO, a device node)
// without opening it, and puts the rename on the disk. An ordinary file of that name that
// this user may not write (read-only) is not replaced (ReadOnlyFile); one that is replaced
// passes its permission bits on. On failure the temporary file is gone again and `name` is
// as it was; the reason is returned.
std::optional<SystemError> replaceFile(const QString &name, const QByteArray &bytes);

// Removes the name from the folder (a link, never its target), unless it is an ordinary file
// that this user may not write (ReadOnlyFile). A name that is already gone counts as removed.
std::optional<SystemError> removeFile(const QString &name);

// True when the folder lists `name` exactly, letter case included, as an ordinary file: not
// a folder, not a link, not a file the platform marks hidden or system.
bool listsOrdinaryFile(const QString &name);

// The working folder's path for the operator's eyes, as well as it can be shown (a name
// in another encoding comes out lossy), read anew on each call so that it follows a rename;
// empty when the folder is gone or has no path the system can give.
QString workingFolderForDisplay();

// For the platform files: makes a new file "<name>.XXXXXX" beside `name`, as QTemporaryFile
// names them. `create` makes the file `*temporary` names, never opening anything that is
// there, and `taken` tells from what it returned that the name was taken, so that another name
// is tried (100 in all). Returns what `create` last returned.
template<class Name, class Create, class Taken>
auto createTemporary(const Name &name, Name *temporary, Create create, Taken taken)
{
    static constexpr char letters[]
        = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 1;; ++attempt) {
        *temporary = name;
        temporary->append('.');
        for (int i = 0; i < 6; ++i) {
            temporary->append(
                letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))]);
        }
        const auto made = create();
        if (attempt == 100 || !taken(made)) {
            return made;
        }
    }
}
