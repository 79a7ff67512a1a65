#pragma once

#include <QColor>

// The panel's colours. The panel is designed dark-first: on a dark desktop
// (or whenever the application palette is dark) it is a charcoal card with
// gold accents.
//
// Under a light application palette only the two surface colours follow the
// desktop — panelBackground() becomes the system window colour and
// cardBackground() the system base colour — and the text colours come from
// the palette, so text stays readable on those surfaces. Every other named
// colour below is fixed: the gold accents, the zebra rows and the red/green
// trend colours look the same in both appearances, which means zebra rows and
// selected tabs stay dark patches on a light panel. That is deliberate; the
// panel is meant to be seen dark.
//
// Nothing here is cached: every function reads the current application
// palette, so widgets that resolve their colours while painting follow a
// palette change with their next repaint.
namespace Palette {

QColor brandGold();
QColor brandGoldBright();
QColor brandGoldDim(); // brandGold at 60 % opacity
QColor brandSelectedBG();
QColor panelBackground(); // follows the appearance
QColor cardBackground();  // follows the appearance
QColor zebraLight();
QColor zebraDark();
QColor cardBorder();
QColor up();   // red: a rise, as Chinese markets colour it
QColor down(); // green: a fall
QColor flat(); // the secondary text colour
QColor amber();

// up() for v > 0, down() for v < 0, flat() for zero and NaN.
QColor trend(double v);

// Qt 6.4 has no colour-scheme API, so the appearance is read off the
// application palette: a window colour of lightness below 128 is dark.
bool isDarkAppearance();

// Text on the panel's surfaces: fixed light greys in the dark appearance, the
// palette's own text colours in the light one.
QColor primaryText();
QColor secondaryText();

// `color` with its alpha multiplied by `opacity`.
QColor withOpacity(QColor color, qreal opacity);

} // namespace Palette
