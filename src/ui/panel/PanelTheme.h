#pragma once

#include <QtGlobal>

class QStyle;
class QWidget;

// The panel's look is its own: the dark palette, the Fusion style and the
// panel's Simplified Chinese faces, whatever the desktop's palette, style or
// locale, and unchanged when the desktop switches theme while the app runs.
//
// A child widget inherits palette and font from its parent, but a menu, a
// combo box's pop-up or a tool tip is a window of its own and would take the
// application's. So the look is given to a root, and from then on to every
// widget polished inside it, those windows included (a window counts as inside
// when the widget it was opened from is).
namespace PanelTheme {

// The ring around the control with the keyboard focus: a line this wide,
// this far outside the control, with at most this corner radius.
constexpr int focusRingMargin = 3;
constexpr qreal focusRingWidth = 2;
constexpr int focusRingRadius = 8;

// Gives `root` and everything in it, now and later, the panel's look, and
// the keyboard habits that go with it (KeyboardFocus).
void apply(QWidget* root);

// Whether `widget` is a root given the look or inside one.
bool covers(const QWidget* widget);

// The style the panel's widgets are drawn with.
QStyle* style();

} // namespace PanelTheme
