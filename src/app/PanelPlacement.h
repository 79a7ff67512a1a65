#pragma once

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QProcessEnvironment>
#include <QRect>
#include <QSize>
#include <QStringList>

#include <optional>

// Where the drop-down panel goes and which clicks close it. Pure geometry in
// screen coordinates (Qt's downward y axis), so it is tested without a window.
namespace PanelPlacement {

// The gap between the panel and the status item, and between the panel and
// the edges of the usable screen area.
inline constexpr int gap = 4;

// The panel's top-left corner. It hangs `gap` px below `anchor`, centred on it
// and kept `gap` px inside `available` left and right (the right edge wins on
// a screen narrower than the panel). When it does not fit below the anchor
// (a taskbar at the bottom of the screen) it opens `gap` px above it instead.
// Either way it stays `gap` px inside `available` above and below, so that
// an anchor inside a bar (the point a host says was clicked) never puts the
// panel over the bar. An empty anchor (the tray does not tell where the icon
// is) puts the panel at the top right of `available`, `gap` px inside both
// edges.
QPoint topLeft(const QRect& anchor, const QSize& panel, const QRect& available);

// Whether a mouse press at `click` should close the panel: not when it lands
// on the status item (grown by `gap` px on every side, edges included), on
// the panel, or on any other visible window of the app (a menu or a picker
// opened from the panel).
bool closesPanel(const QPoint& click, const QRect& anchor, const QRect& panel,
                 const QList<QRect>& otherWindows);

// The Qt platform the tray app should ask for before it starts. Under
// Wayland a window cannot place itself or stay above others, so the panel
// would open in the middle of the screen: where XWayland is there (DISPLAY is
// set) and the user chose no platform (neither QT_QPA_PLATFORM nor a
// -platform argument), "xcb". Nothing otherwise.
std::optional<QByteArray> preferredPlatform(const QProcessEnvironment& environment,
                                            const QStringList& arguments);

} // namespace PanelPlacement
