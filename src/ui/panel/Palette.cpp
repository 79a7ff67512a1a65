#include "Palette.h"

#include <QGuiApplication>
#include <QPalette>

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
    if (isDarkAppearance())
        return rgb(0.137f, 0.157f, 0.173f);
    return QGuiApplication::palette().color(QPalette::Window);
}

QColor cardBackground()
{
    if (isDarkAppearance())
        return rgb(0.165f, 0.184f, 0.196f);
    return QGuiApplication::palette().color(QPalette::Base);
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
    return rgb(0.9372549f, 0.2666667f, 0.2666667f);
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

bool isDarkAppearance()
{
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

QColor primaryText()
{
    if (isDarkAppearance())
        return rgb(0.92f, 0.92f, 0.93f);
    return QGuiApplication::palette().color(QPalette::WindowText);
}

QColor secondaryText()
{
    if (isDarkAppearance())
        return rgb(0.6f, 0.6f, 0.62f);
    // Styles make this the text colour at half strength, which is what
    // secondary text should be on a light surface.
    return QGuiApplication::palette().color(QPalette::PlaceholderText);
}

QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}

} // namespace Palette
