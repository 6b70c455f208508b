#include "KnownFailures.h"

#include <cerrno>

namespace {

constexpr KnownFailure failures[] = {
    {ENOENT, u"見つかりません"},
    {ENODEV, u"デバイスがありません"},
    {ENXIO, u"デバイスがありません"},
    {EACCES, u"アクセスが拒否されました"},
    {EPERM, u"この操作は許可されていません"},
    {EBUSY, u"使用中です"},
    {ETXTBSY, u"使用中です"},
    {EIO, u"入出力エラーが起きました"},
    {ENOSPC, u"ディスクに空きがありません"},
    {EDQUOT, u"ディスクの使用量の上限に達しました"},
    {EFBIG, u"ファイルが大きすぎます"},
    {EROFS, u"読み取り専用のディスクです"},
    {EISDIR, u"フォルダーです"},
    {ENOTDIR, u"フォルダーではありません"},
    {ENAMETOOLONG, u"名前が長すぎます"},
    {ELOOP, u"リンクが循環しています"},
    // What a device that takes no line settings answers.
    {EINVAL, u"設定を受け付けません"},
    // A hung-up line has no error code of its own; the serial line reports it as EPIPE,
    // the far end gone.
    {EPIPE, u"回線が切れました"},
    {ENOTTY, u"シリアルポートではありません"},
};

} // namespace

std::span<const KnownFailure> knownFailures()
{
    return failures;
}
