#pragma once

class QWidget;

// How the panel is worked from the keyboard, in every widget given the
// panel's look (PanelTheme):
// - while the user moves the focus with Tab, a gold ring (drawn by the
//   panel's style) shows which control has it; a mouse click puts the ring
//   away again, since a pointer user does not need it. Text fields show the
//   focus with their own gold outline and get no ring;
// - Return or Enter presses the focused button, switch or header, as Space
//   does.
namespace KeyboardFocus {

// Starts watching the application's events; later calls do nothing.
void install();

// The control the ring is around right now; null while no ring is shown.
QWidget* ringTarget();

} // namespace KeyboardFocus
