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
    QTest::newRow("unknown") << int(ENOMEM) << QString();
}
