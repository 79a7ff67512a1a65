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
// A text field's placeholder is fainter on purpose (placeholderText).
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
// A text field's placeholder ("700.00" in an empty threshold field): an
// example, which must not pass for a value. On the field's well (zebraLight)
// the secondary text keeps 4.93:1, so a placeholder held to 4.5:1 could be only
// a shade dimmer than the secondary colour the panel draws codes and versions
// in. It is drawn as Qt draws placeholders by default instead, like the
// primary text at half strength: 3.7:1 on the well, above the 3:1 that WCAG
// asks of large text and of controls, and clearly apart from both what the
// user types (2.6:1 between them) and the secondary text.
QColor placeholderText();
// Text of what cannot be used right now: a disabled button or row of tabs.
// Exempt from the contrast rule, as in WCAG.
QColor disabledText();

// The ring around the control that has the keyboard focus: gold, at least
// 3:1 against every surface (WCAG's minimum for what is not text).
QColor focusRing();

// `color` with its alpha multiplied by `opacity`.
QColor withOpacity(QColor color, qreal opacity);

// The colours above as a palette for what Qt and its style draw: text fields,
// combo boxes, menus, tool tips. Every role of every colour group is set, so
// a widget given this palette takes nothing from the application's.
QPalette widgetPalette();

} // namespace Palette
