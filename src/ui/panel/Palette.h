#pragma once

#include <QColor>
#include <QPalette>

// The panel's colours. The panel is dark whatever the desktop: a charcoal
// card with gold accents, the same on a light desktop as on a dark one.
// None of these colours reads the application palette, so a light desktop, or
// a theme change while the app runs, leaves the panel as it is.
//
// Text on the panel's surfaces comes in three strengths: primary, secondary and
// muted. Each of them, and the red and green of a change, keeps WCAG's 4.5:1
// against every surface it is drawn on (panel, card, zebra rows, text fields).
namespace Palette {

QColor brandGold();
QColor brandGoldBright();
QColor brandGoldDim(); // brandGold at 60 % opacity
QColor brandSelectedBG();
QColor panelBackground();
QColor cardBackground();
QColor zebraLight();
QColor zebraDark();
QColor cardBorder();
QColor up();   // red: a rise, as Chinese markets colour it
QColor down(); // green: a fall
QColor flat(); // the secondary text colour
QColor amber();

// up() for v > 0, down() for v < 0, flat() for zero and NaN.
QColor trend(double v);

QColor primaryText();
QColor secondaryText();
// Captions beside a value: the time of the last update, the countdown, the
// date of a fund's value. Never on the zebra rows, where it would be too faint.
QColor mutedText();

// `color` with its alpha multiplied by `opacity`.
QColor withOpacity(QColor color, qreal opacity);

// The colours above as a palette for what Qt and its style draw: text fields,
// combo boxes, menus, tool tips. Every role of every colour group is set, so
// a widget given this palette takes nothing from the application's.
QPalette widgetPalette();

} // namespace Palette
