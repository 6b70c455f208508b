#include "PlayerFiles.h"

#include "FileSystem.h"

#include <QDir>

namespace {

// "ダミーデータ" in code page 932. The match program expects these exact bytes,
// so they are spelled out rather than converted at run time.
constexpr char endLine[] = "\x83\x5F\x83\x7E\x81\x5B\x83\x66\x81\x5B\x83\x5E\r\n";

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

std::optional<SystemError> writePlayerFile(PlayerSlot slot, const PlayerRecord &record)
{
    // The match program may read the file at any moment: a temporary file beside it is renamed
    // over the old one, so a crash or a full disk never leaves half a record.
    return replaceFile(playerFileName(slot), playerFileBytes(record));
}

std::optional<SystemError> removePlayerFile(PlayerSlot slot)
{
    return removeFile(playerFileName(slot));
}

bool playerFilePresent(PlayerSlot slot)
{
    return listsOrdinaryFile(playerFileName(slot));
}

QString playerFileForDisplay(PlayerSlot slot)
{
    const QString folder = workingFolderForDisplay();
    const QString name = playerFileName(slot);
    return folder.isEmpty() ? name : QDir::toNativeSeparators(QDir(folder).filePath(name));
}
