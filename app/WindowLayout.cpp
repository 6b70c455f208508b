#include "WindowLayout.h"

#include "ListRows.h"
#include "PlayerSlot.h"

namespace WindowLayout {

namespace {

constexpr Control layout[] = {
    {"Frame1", windowName, Kind::Frame, u"受信", {360, 120, 4575, 1335}},
    {"Command1", "Frame1", Kind::Button, portCaptions[0], {360, 360, 1095, 495}},
    {"Command2", "Frame1", Kind::Button, portCaptions[1], {1680, 360, 1095, 495}},
    {"Command3", "Frame1", Kind::Button, u"中断", {3360, 360, 855, 495}},
    {"Label7", "Frame1", Kind::StatusLine, u"", {360, 960, 3855, 255}},

    {"Frame2", windowName, Kind::Frame, u"プレイヤー１", {360, 1560, 2175, 4695}},
    {"Label1", "Frame2", Kind::Caption, u"ケルミの種類", {120, 240, 1215, 375}},
    {"Combo1", "Frame2", Kind::List, u"", {240, 480, 1815, 300}, ListRows::deviceKinds},
    {"Label2", "Frame2", Kind::Caption, u"ケルミ名", {120, 960, 1215, 375}},
    {"Combo2", "Frame2", Kind::List, u"", {240, 1200, 1815, 300}, ListRows::characters},
    {"Label3", "Frame2", Kind::Caption, u"ケルミの強さ", {120, 1560, 1575, 255}},
    {"Combo3", "Frame2", Kind::List, u"", {240, 1800, 1815, 300}, ListRows::strengths},
    {"Label8", "Frame2", Kind::Caption, u"背景", {120, 2160, 1095, 255}},
    {"Combo7", "Frame2", Kind::List, u"", {240, 2400, 1815, 300}, ListRows::backgrounds},
    {"Label9", "Frame2", Kind::Caption, u"ＢＧＭ", {120, 2760, 1215, 255}},
    {"Combo8", "Frame2", Kind::List, u"", {240, 3000, 1815, 300}, ListRows::bgm},
    {"Command4", "Frame2", Kind::Button, saveCaptions[0], {120, 3480, 1935, 495}},
    {.name = "Command6",
     .parent = "Frame2",
     .kind = Kind::Button,
     .caption = deleteCaption.utf16(),
     .place = {120, 4080, 1935, 495},
     .bold = true},

    {"Frame3", windowName, Kind::Frame, u"プレイヤー２", {2640, 1560, 2175, 4695}},
    {"Label6", "Frame3", Kind::Caption, u"ケルミの種類", {120, 240, 1215, 375}},
    {"Combo6", "Frame3", Kind::List, u"", {240, 480, 1815, 300}, ListRows::deviceKinds},
    {"Label5", "Frame3", Kind::Caption, u"ケルミ名", {120, 960, 1215, 375}},
    {"Combo5", "Frame3", Kind::List, u"", {240, 1200, 1815, 300}, ListRows::characters},
    {"Label4", "Frame3", Kind::Caption, u"ケルミの強さ", {120, 1560, 1575, 255}},
    {"Combo4", "Frame3", Kind::List, u"", {240, 1800, 1815, 300}, ListRows::strengths},
    {"Command5", "Frame3", Kind::Button, saveCaptions[1], {120, 3480, 1935, 495}},
    {.name = "Command7",
     .parent = "Frame3",
     .kind = Kind::Button,
     .caption = deleteCaption.utf16(),
     .place = {120, 4080, 1935, 495},
     .bold = true},
};

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

std::span<const Control> controls()
{
    return layout;
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

} // namespace WindowLayout
