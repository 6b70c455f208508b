#include "OperatorReasonRows.h"

#include <QTest>

#include <cerrno>

void addOperatorReasonRows()
{
    QTest::newRow("no such device") << int(ENXIO) << QStringLiteral("デバイスがありません");
    QTest::newRow("busy") << int(EBUSY) << QStringLiteral("使用中です");
    QTest::newRow("i/o error") << int(EIO) << QStringLiteral("入出力エラーが起きました");
    QTest::newRow("over quota") << int(EDQUOT)
                                << QStringLiteral("ディスクの使用量の上限に達しました");
    QTest::newRow("hung up") << int(EPIPE) << QStringLiteral("回線が切れました");
    QTest::newRow("not a terminal")
        << int(ENOTTY) << QStringLiteral("シリアルポートではありません");
    QTest::newRow("link loop") << int(ELOOP) << QStringLiteral("リンクが循環しています");
    QTest::newRow("no line settings") << int(EINVAL) << QStringLiteral("設定を受け付けません");
    QTest::newRow("not a folder") << int(ENOTDIR) << QStringLiteral("フォルダーではありません");
    QTest::newRow("name too long") << int(ENAMETOOLONG) << QStringLiteral("名前が長すぎます");
    QTest::newRow("unknown") << int(ENOMEM) << QString();
}
