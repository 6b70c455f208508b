#include "PlayerFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// "ダミーデータ" in code page 932. The match program expects these exact bytes,
// so they are spelled out rather than converted at run time.
constexpr char endLine[] = "\x83\x5F\x83\x7E\x81\x5B\x83\x66\x81\x5B\x83\x5E\r\n";

QString failure(PlayerSlot slot, const QString &what, const QString &reason)
{
    return what.arg(playerFileName(slot)) + QLatin1Char('\n') + reason;
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
    QSaveFile file(playerFileName(slot));
    if (!file.open(QIODevice::WriteOnly) || file.write(playerFileBytes(record)) < 0
        || !file.commit()) {
        return failure(slot, QStringLiteral("%1 を保存できませんでした。"), file.errorString());
    }
    return std::nullopt;
}

std::optional<QString> removePlayerFile(PlayerSlot slot)
{
    QFile file(playerFileName(slot));
    // A file that is already gone (say the match program took it) leaves the operator's
    // goal met, so only a file that is still there counts as a failure.
    if (!file.remove() && QFileInfo(file.fileName()).exists()) {
        return failure(slot, QStringLiteral("%1 を削除できませんでした。"), file.errorString());
    }
    return std::nullopt;
}

bool playerFilePresent(PlayerSlot slot)
{
    // List regular files only (no directories, no hidden or system files) and compare the
    // name exactly, so another letter case counts as absent on any file system.
    const QString name = playerFileName(slot);
    const QStringList listed = QDir::current().entryList({name}, QDir::Files);
    return listed.contains(name, Qt::CaseSensitive);
}
