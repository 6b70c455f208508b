#include "PlayerFiles.h"

#include "FileSystem.h"
#include "SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// "ダミーデータ" in code page 932. The match program expects these exact bytes,
// so they are spelled out rather than converted at run time.
constexpr char endLine[] = "\x83\x5F\x83\x7E\x81\x5B\x83\x66\x81\x5B\x83\x5E\r\n";

QString failure(PlayerSlot slot, const QString &what, const SystemError &error)
{
    return what.arg(playerFileName(slot)) + QLatin1Char('\n') + operatorReason(error);
}

// Writes all of bytes or fails. A full disk or a file-size limit can take part of a write
// and refuse the rest; the next write then reports why.
bool writeAll(QSaveFile &file, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            return false;
        }
        done += written;
    }
    return true;
}

} // namespace

QByteArray playerFileBytes(const PlayerRecord &record)
{
    QByteArray bytes;
    for (int value : record) {
        // The leading space holds the place of a sign; the trailing one follows every number.
        bytes += ' ' + QByteArray::number(value) + " \r\n";
    }
    bytes += endLine;
    return bytes;
}

std::optional<QString> writePlayerFile(PlayerSlot slot, const PlayerRecord &record)
{
    // The match program may read the file at any moment: write a temporary file beside it
    // and rename it over the old one, so a crash or a full disk never leaves half a record.
    // Unbuffered, so that each write reports its own failure: a buffered QSaveFile writes
    // only inside commit() and does not report a failure there.
    QSaveFile file(playerFileName(slot));
    SystemError syncError;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
        || !writeAll(file, playerFileBytes(record)) || !flushToDisk(file, &syncError)
        || !file.commit()) {
        // Leaving `file` uncommitted removes the temporary file; the old file stays as it was.
        return failure(slot, QStringLiteral("%1 を保存できませんでした。"),
                       syncError.text.isEmpty() ? SystemError::fromText(file.errorString())
                                                : syncError);
    }
    syncWorkingDirectory();
    return std::nullopt;
}

std::optional<QString> removePlayerFile(PlayerSlot slot)
{
    QFile file(playerFileName(slot));
    // A file that is already gone (say the match program took it) leaves the operator's
    // goal met, so only a file that is still there counts as a failure.
    if (!file.remove() && QFileInfo(file.fileName()).exists()) {
        return failure(slot, QStringLiteral("%1 を削除できませんでした。"),
                       SystemError::fromText(file.errorString()));
    }
    syncWorkingDirectory();
    return std::nullopt;
}

bool playerFilePresent(PlayerSlot slot)
{
    // List regular files only (no directories, no hidden or system files) and compare the
    // name exactly, so another letter case counts as absent on any file system.
    const QString name = playerFileName(slot);
    const QStringList listed = QDir::current().entryList({name}, QDir::Files);
    return listed.contains(name, Qt::CaseSensitive) && !isSystemFile(name);
}
