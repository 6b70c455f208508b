#include "FrameStyle.h"

// QProxyStyle is a QCommonStyle, whose group box is the classic one; some platform styles
// (Fusion among them) put the caption above the border instead. The group box parts are
// therefore taken from QCommonStyle, the rest passes on to the platform's style.

void FrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                               QPainter *painter, const QWidget *widget) const
{
    // An etched line along the rectangle it is given, no room kept for a caption.
    element == PE_FrameGroupBox ? QCommonStyle::drawPrimitive(element, option, painter, widget)
                                : QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void FrameStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                                    QPainter *painter, const QWidget *widget) const
{
    // Leaves out the border behind the caption.
    control == CC_GroupBox ? QCommonStyle::drawComplexControl(control, option, painter, widget)
                           : QProxyStyle::drawComplexControl(control, option, painter, widget);
}

QRect FrameStyle::subControlRect(ComplexControl control, const QStyleOptionComplex *option,
                                 SubControl subControl, const QWidget *widget) const
{
    return control == CC_GroupBox
        ? QCommonStyle::subControlRect(control, option, subControl, widget)
        : QProxyStyle::subControlRect(control, option, subControl, widget);
}

int FrameStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                          QStyleHintReturn *returnData) const
{
    if (hint == SH_GroupBox_TextLabelVerticalAlignment) {
        // The border's top at half the caption's height.
        return Qt::AlignVCenter;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
