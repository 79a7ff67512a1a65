#include "Palette.h"

namespace Palette {

namespace {

QColor rgb(float r, float g, float b)
{
    return QColor::fromRgbF(r, g, b);
}

} // namespace

QColor brandGold()
{
    return rgb(0.914f, 0.722f, 0.196f);
}

QColor brandGoldBright()
{
    return rgb(0.957f, 0.812f, 0.349f);
}

QColor brandGoldDim()
{
    return withOpacity(brandGold(), 0.6);
}

QColor brandSelectedBG()
{
    return rgb(0.259f, 0.208f, 0.11f);
}

QColor panelBackground()
{
    return rgb(0.137f, 0.157f, 0.173f);
}

QColor cardBackground()
{
    return rgb(0.165f, 0.184f, 0.196f);
}

QColor zebraLight()
{
    return rgb(0.208f, 0.224f, 0.235f);
}

QColor zebraDark()
{
    return rgb(0.165f, 0.184f, 0.196f);
}

QColor cardBorder()
{
    return rgb(0.212f, 0.22f, 0.235f);
}

QColor up()
{
    // Lighter than a print red: small figures on the zebra rows need the
    // luminance to stay readable.
    return QColor(0xff, 0x7a, 0x7a);
}

QColor down()
{
    return rgb(0.1333333f, 0.7725490f, 0.3686275f);
}

QColor flat()
{
    return secondaryText();
}

QColor amber()
{
    return rgb(0.961f, 0.62f, 0.043f);
}

QColor trend(double v)
{
    // NaN fails both comparisons and lands on flat, which is what an unknown
    // change should look like.
    if (v > 0)
        return up();
    if (v < 0)
        return down();
    return flat();
}

QColor primaryText()
{
    return rgb(0.92f, 0.92f, 0.93f);
}

QColor secondaryText()
{
    return rgb(0.66f, 0.66f, 0.68f);
}

QColor mutedText()
{
    return rgb(0.6f, 0.6f, 0.62f);
}

QColor placeholderText()
{
    return rgb(0.56f, 0.57f, 0.58f);
}

QColor disabledText()
{
    return rgb(0.42f, 0.43f, 0.45f);
}

QColor focusRing()
{
    return brandGold();
}

QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}

QPalette widgetPalette()
{
    const QColor disabledText = Palette::disabledText();
    QPalette palette;
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        const auto set = [&](QPalette::ColorRole role, const QColor& color) {
            palette.setColor(group, role, color);
        };
        set(QPalette::Window, panelBackground());
        set(QPalette::WindowText, disabled ? disabledText : primaryText());
        set(QPalette::Base, cardBackground());
        set(QPalette::AlternateBase, zebraLight());
        set(QPalette::Text, disabled ? disabledText : primaryText());
        set(QPalette::PlaceholderText, disabled ? disabledText : placeholderText());
        set(QPalette::Button, zebraLight());
        set(QPalette::ButtonText, disabled ? disabledText : primaryText());
        set(QPalette::BrightText, brandGoldBright());
        set(QPalette::ToolTipBase, zebraLight());
        set(QPalette::ToolTipText, primaryText());
        set(QPalette::Highlight, disabled ? zebraLight() : brandSelectedBG());
        set(QPalette::HighlightedText, disabled ? disabledText : brandGoldBright());
        set(QPalette::Link, brandGold());
        set(QPalette::LinkVisited, brandGold().darker(120));
        // The style's bevels and frames: shades of the border, none of them
        // lighter than a zebra row's highlight, so nothing draws a light edge.
        set(QPalette::Light, cardBorder().lighter(150));
        set(QPalette::Midlight, cardBorder().lighter(125));
        set(QPalette::Mid, cardBorder());
        set(QPalette::Dark, panelBackground().darker(130));
        set(QPalette::Shadow, panelBackground().darker(250));
    }
    return palette;
}

} // namespace Palette
