#include "KnownFailures.h"

#include "ErrorCodesWindows.h"

#include <windows.h>

namespace {

constexpr KnownFailure failures[] = {
    {ERROR_FILE_NOT_FOUND, u"見つかりません"},
    {ERROR_PATH_NOT_FOUND, u"見つかりません"},
    {ERROR_ACCESS_DENIED, u"アクセスが拒否されました"},
    {ERROR_SHARING_VIOLATION, u"使用中です"},
    {ERROR_LOCK_VIOLATION, u"使用中です"},
    {ERROR_BUSY, u"使用中です"},
    {ERROR_GEN_FAILURE, u"入出力エラーが起きました"},
    {ERROR_IO_DEVICE, u"入出力エラーが起きました"},
    {ERROR_DISK_FULL, u"ディスクに空きがありません"},
    {ERROR_HANDLE_DISK_FULL, u"ディスクに空きがありません"},
    {ERROR_WRITE_PROTECT, u"読み取り専用のディスクです"},
    {windowsDirectoryNotSupported, u"フォルダーです"},
    {ERROR_DIRECTORY, u"フォルダーではありません"},
    {ERROR_FILENAME_EXCED_RANGE, u"名前が長すぎます"},
    {ERROR_CANT_RESOLVE_FILENAME, u"リンクが循環しています"},
    {ERROR_INVALID_PARAMETER, u"設定を受け付けません"},
    // What a COM port answers once its adapter is pulled or its far end has gone.
    {ERROR_NOT_READY, u"回線が切れました"},
    {ERROR_BAD_COMMAND, u"回線が切れました"},
    {ERROR_DEVICE_NOT_CONNECTED, u"回線が切れました"},
    {ERROR_DEVICE_REMOVED, u"回線が切れました"},
    {ERROR_OPERATION_ABORTED, u"回線が切れました"},
    // A device that takes no line settings is no serial port.
    {ERROR_INVALID_FUNCTION, u"シリアルポートではありません"},
    {ERROR_NOT_SUPPORTED, u"シリアルポートではありません"},
};

} // namespace

std::span<const KnownFailure> knownFailures()
{
    return failures;
}
