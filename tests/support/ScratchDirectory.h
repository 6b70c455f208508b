#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh, empty working directory for one test case, where the console reads and writes
// its player data files; the previous working directory comes back when it goes.
class ScratchDirectory
{
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory &) = delete;
    ScratchDirectory &operator=(const ScratchDirectory &) = delete;

    bool isValid() const { return m_entered; }

private:
    QString m_previous;
    QTemporaryDir m_directory;
    bool m_entered = false;
};

// A file's whole content; empty when it cannot be read.
QByteArray readFile(const QString &name);

// Creates an empty file; false when it cannot.
bool touch(const QString &name);

// The marks Windows puts on files that a listing of ordinary files leaves out.
enum class FileMark { Hidden, System };

// Marks a file as attrib +h or +s does; false where the platform has no such marks.
bool markFile(const QString &name, FileMark mark);
