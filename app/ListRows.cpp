#include "ListRows.h"

#include "DeviceTables.h"

#include <array>

namespace {

constexpr std::array deviceKindNames {u"旧ケルミ", u"ルクサム", u"トレモア", u"ヴェスカ"};

constexpr std::array characterNames {
    u"ミルト", u"ソラン", u"パルカ", u"ルーメ", u"ナギル", u"ケロナ",   u"フィズ", u"モルダ",
    u"トゥリ", u"ヤスノ", u"ザラム", u"コルネ", u"ピオラ", u"ウェンダ", u"ホロン", u"ガルフ",
    u"リムカ", u"セドラ", u"ヌーク", u"ティオ", u"バクル", u"エルマ"};

// Row n shows the strength n itself, from 0 up to this.
constexpr int highestStrength = 60;

// The decoding and the device simulator count on these rows; a row added or dropped here
// must be added or dropped there too.
static_assert(deviceKindNames.size() == DeviceTables::deviceKindRows);
static_assert(characterNames.size() == DeviceTables::characterRows);
static_assert(highestStrength + 1 == DeviceTables::strengthRows);

template<std::size_t N> QStringList rows(const std::array<const char16_t *, N> &names)
{
    QStringList rows;
    rows.reserve(qsizetype(N));
    for (const char16_t *name : names) {
        rows += QString::fromUtf16(name);
    }
    return rows;
}

} // namespace

namespace ListRows {

QStringList deviceKinds()
{
    return rows(deviceKindNames);
}

QStringList characters()
{
    return rows(characterNames);
}

QStringList strengths()
{
    QStringList rows;
    for (int n = 0; n <= highestStrength; ++n) {
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
