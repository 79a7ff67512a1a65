#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

// The panel's pictures: Tabler icons (MIT) compiled into the application as
// resources, under the names the panel uses ("xmark", "gearshape",
// "arrow.up.circle.fill", "exclamationmark.triangle.fill",
// "wifi.exclamationmark", "magnifyingglass", "plus", "trash", "pencil",
// "bell", "chevron.right", "chevron.down").
//
// The SVGs draw in "currentColor"; every rendering substitutes the colour
// asked for, so one file serves every tint.
namespace Icons {

// `name` drawn in `color` into a square of `logicalSize` device-independent
// pixels, for a screen of device pixel ratio `dpr`. Renderings are cached.
// A null pixmap for an unknown name, with a warning the first time.
//
// Ask at paint time, with the ratio of the device painted on
// (QPainter::device()->devicePixelRatioF()): a widget's own ratio is that of
// the screen it was last shown on, and a rendering into a picture of twice
// the size has a ratio of its own.
QPixmap pixmap(const QString& name, const QColor& color, int logicalSize, qreal dpr = 1.0);

// The same as an icon for a button or a menu entry, at most `logicalSize`
// pixels square, rendered afresh for whatever pixel ratio it is drawn at.
// Disabled, it fades.
QIcon icon(const QString& name, const QColor& color, int logicalSize);

bool exists(const QString& name);
QStringList names();

} // namespace Icons
