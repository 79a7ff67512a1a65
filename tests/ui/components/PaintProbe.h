#pragma once

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QPalette>
#include <QWidget>

#include <cstdlib>

// Helpers for checking what the panel's components actually paint.
namespace PaintProbe {

// Application palettes like a dark and a light desktop's.
inline QPalette desktopPalette(bool dark)
{
    QPalette palette;
    palette.setColor(QPalette::Window, dark ? QColor(0x1e, 0x1e, 0x1e) : QColor(0xef, 0xf0, 0xf1));
    palette.setColor(QPalette::Base, dark ? QColor(0x2a, 0x2a, 0x2a) : QColor(0xfc, 0xfc, 0xfc));
    const QColor text = dark ? QColor(0xee, 0xee, 0xee) : QColor(0x23, 0x26, 0x29);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::PlaceholderText,
                     dark ? QColor(0x88, 0x88, 0x88) : QColor(0x23, 0x26, 0x29, 128));
    return palette;
}

// `top` composited over the opaque `bottom`.
inline QColor over(const QColor& top, const QColor& bottom)
{
    const float a = top.alphaF();
    return QColor::fromRgbF(top.redF() * a + bottom.redF() * (1 - a),
                            top.greenF() * a + bottom.greenF() * (1 - a),
                            top.blueF() * a + bottom.blueF() * (1 - a));
}

// Equal within `tolerance` per 8-bit channel, alpha aside: rounding and
// antialiasing move a channel by a step or two.
inline bool near(const QColor& a, const QColor& b, int tolerance = 3)
{
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// A pixel of the widget's rendering, which lies over the window colour of the
// application palette.
inline QColor pixelAt(QWidget* widget, const QPoint& pos)
{
    return widget->grab().toImage().pixelColor(pos);
}

inline int countPixels(QWidget* widget, const QColor& color, int tolerance)
{
    const QImage image = widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += near(image.pixelColor(x, y), color, tolerance) ? 1 : 0;
    }
    return count;
}

} // namespace PaintProbe

#define PROBE_COMPARE_COLOR_WITHIN(actual, expected, tolerance)                                    \
    do {                                                                                           \
        const QColor probeActual = (actual), probeExpected = (expected);                           \
        QVERIFY2(PaintProbe::near(probeActual, probeExpected, tolerance),                          \
                 qPrintable(QStringLiteral("got %1, expected %2")                                  \
                                .arg(probeActual.name(), probeExpected.name())));                  \
    } while (false)

#define PROBE_COMPARE_COLOR(actual, expected) PROBE_COMPARE_COLOR_WITHIN(actual, expected, 3)
