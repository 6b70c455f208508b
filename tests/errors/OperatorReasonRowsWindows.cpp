#include "OperatorReasonRows.h"

#include <QTest>

#include <windows.h>

void addOperatorReasonRows()
{
    QTest::newRow("no such port") << int(ERROR_FILE_NOT_FOUND) << QStringLiteral("見つかりません");
    QTest::newRow("held") << int(ERROR_ACCESS_DENIED) << QStringLiteral("アクセスが拒否されました");
    QTest::newRow("file in use") << int(ERROR_SHARING_VIOLATION) << QStringLiteral("使用中です");
    QTest::newRow("i/o error") << int(ERROR_GEN_FAILURE)
                               << QStringLiteral("入出力エラーが起きました");
    QTest::newRow("disk full") << int(ERROR_DISK_FULL)
                               << QStringLiteral("ディスクに空きがありません");
    QTest::newRow("write-protected")
        << int(ERROR_WRITE_PROTECT) << QStringLiteral("読み取り専用のディスクです");
    QTest::newRow("adapter pulled")
        << int(ERROR_DEVICE_REMOVED) << QStringLiteral("回線が切れました");
    QTest::newRow("no serial port")
        << int(ERROR_INVALID_FUNCTION) << QStringLiteral("シリアルポートではありません");
    QTest::newRow("link loop") << int(ERROR_CANT_RESOLVE_FILENAME)
                               << QStringLiteral("リンクが循環しています");
    QTest::newRow("no line settings")
        << int(ERROR_INVALID_PARAMETER) << QStringLiteral("設定を受け付けません");
    QTest::newRow("not a folder") << int(ERROR_DIRECTORY)
                                  << QStringLiteral("フォルダーではありません");
    QTest::newRow("name too long")
        << int(ERROR_FILENAME_EXCED_RANGE) << QStringLiteral("名前が長すぎます");
    QTest::newRow("unknown") << int(ERROR_OUTOFMEMORY) << QString();
}
