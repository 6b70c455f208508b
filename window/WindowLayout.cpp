#include "WindowLayout.h"

#include "DeviceTables.h"
#include "FixedSize.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

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

namespace WindowLayout {

namespace {

QString windowFontFamily()
{
    const QString family = QStringLiteral("ＭＳ Ｐゴシック");
#ifndef Q_OS_WIN
    QFont::insertSubstitution(family, QStringLiteral("IPAPGothic"));
#endif
    return family;
}

} // namespace

QRect pixels(Twips twips)
{
    return QRect(twips.left / 15, twips.top / 15, twips.width / 15, twips.height / 15);
}

QString windowTitle()
{
    return QStringLiteral("ケルミ");
}

QSize windowSize()
{
    return pixels({0, 0, 5160, 6450}).size();
}

QFont windowFont()
{
    return QFont(windowFontFamily(), 9);
}

QFont boldFont()
{
    QFont bold(windowFontFamily());
    bold.setPointSizeF(9.75);
    bold.setBold(true);
    return bold;
}

void dressWindow(QWidget *window)
{
    window->setObjectName(QLatin1String(windowName));
    window->setWindowTitle(windowTitle());
    window->setFixedSize(windowSize());
    keepFixedSize(window);
    window->setFont(windowFont());
}

void placeControl(QWidget *made, const Control &control)
{
    made->setObjectName(QLatin1String(control.name));
    made->setGeometry(pixels(control.place));
    if (control.bold) {
        made->setFont(boldFont());
    }
}

QGroupBox *makeFrame(const Control &control, QWidget *parent)
{
    return placed(new QGroupBox(QString::fromUtf16(control.caption), parent), control);
}

QPushButton *makeButton(const Control &control, QWidget *parent)
{
    return placed(new QPushButton(QString::fromUtf16(control.caption), parent), control);
}

QLabel *makeCaption(const Control &control, QWidget *parent)
{
    auto *caption = placed(new QLabel(QString::fromUtf16(control.caption), parent), control);
    // At the top of its box, clear of the list below.
    caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return caption;
}

} // namespace WindowLayout
