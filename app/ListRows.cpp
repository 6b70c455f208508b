#include "ListRows.h"

namespace ListRows {

QStringList deviceKinds()
{
    return {QStringLiteral("旧ケルミ"), QStringLiteral("ルクサム"), QStringLiteral("トレモア"),
            QStringLiteral("ヴェスカ")};
}

QStringList characters()
{
    return {QStringLiteral("ミルト"), QStringLiteral("ソラン"),   QStringLiteral("パルカ"),
            QStringLiteral("ルーメ"), QStringLiteral("ナギル"),   QStringLiteral("ケロナ"),
            QStringLiteral("フィズ"), QStringLiteral("モルダ"),   QStringLiteral("トゥリ"),
            QStringLiteral("ヤスノ"), QStringLiteral("ザラム"),   QStringLiteral("コルネ"),
            QStringLiteral("ピオラ"), QStringLiteral("ウェンダ"), QStringLiteral("ホロン"),
            QStringLiteral("ガルフ"), QStringLiteral("リムカ"),   QStringLiteral("セドラ"),
            QStringLiteral("ヌーク"), QStringLiteral("ティオ"),   QStringLiteral("バクル"),
            QStringLiteral("エルマ")};
}

QStringList strengths()
{
    // Row n shows the strength n itself.
    QStringList rows;
    for (int n = 0; n <= 60; ++n) {
        rows += QString::number(n);
    }
    return rows;
}

QStringList backgrounds()
{
    return {QStringLiteral("通常"), QStringLiteral("準決勝"), QStringLiteral("決勝")};
}

QStringList bgm()
{
    return {QStringLiteral("ＢＧＭあり"), QStringLiteral("ＢＧＭなし")};
}

} // namespace ListRows
