#pragma once

#include "SystemError.h"

#include <QString>

class QFileDevice;

// What the player files need of the file system beyond Qt, in each platform's own way
// (FileSystemUnix.cpp, FileSystemWindows.cpp).

// Puts the file's written bytes on the disk. On a full disk the system may accept a write
// and fail only here. False with the reason when it fails.
bool flushToDisk(QFileDevice &file, SystemError *error);

// Puts the working directory's entries (a rename, a removal) on the disk where the platform
// asks for it, so that a power cut right after a click cannot bring back the old state.
// A directory that cannot be synced leaves the file operation done all the same.
void syncWorkingDirectory();

// True for a file that the platform marks as a system file, which a directory listing of
// ordinary files leaves out. Hidden files are left out by Qt's listing already.
bool isSystemFile(const QString &name);
