#include "PlayerFiles.h"

#include "FileSystem.h"
#include "SystemError.h"

#include <QDir>

namespace {

// "ダミーデータ" in code page 932. The match program expects these exact bytes,
// so they are spelled out rather than converted at run time.
constexpr char endLine[] = "\x83\x5F\x83\x7E\x81\x5B\x83\x66\x81\x5B\x83\x5E\r\n";

QString failure(PlayerSlot slot, const QString &what, const SystemError &error)
{
    return what.arg(playerFileName(slot)) + QLatin1Char('\n') + operatorReason(error);
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
    // The match program may read the file at any moment: a temporary file beside it is renamed
    // over the old one, so a crash or a full disk never leaves half a record.
    if (const auto error = replaceFile(playerFileName(slot), playerFileBytes(record))) {
        return failure(slot, QStringLiteral("%1 を保存できませんでした。"), *error);
    }
    return std::nullopt;
}

std::optional<QString> removePlayerFile(PlayerSlot slot)
{
    if (const auto error = removeFile(playerFileName(slot))) {
        return failure(slot, QStringLiteral("%1 を削除できませんでした。"), *error);
    }
    return std::nullopt;
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
