#pragma once

#include <QColor>
#include <QEasingCurve>
#include <QFont>
#include <QString>
#include <QStringList>

class QFrame;
class QLabel;
class QPainter;
class QPainterPath;
class QPushButton;
class QScrollArea;
class QVBoxLayout;
class QWidget;

// Small helpers the panel's views share: fonts in pixel sizes, labels with a
// fixed colour, hairline dividers.
namespace PanelStyle {

// The panel's faces: Simplified Chinese ones first, whatever the locale. Under
// an English or a Japanese locale fontconfig would otherwise set Han text in
// a Japanese face (Noto Sans CJK JP), whose glyph shapes differ from the ones
// Chinese readers expect. The first of them, Noto Sans CJK SC, also has
// digits of one width, so a countdown or a price does not jitter as it changes.
QStringList families();
// A font of the panel's faces at `pixelSize` pixels (the panel's sizes are in
// device-independent pixels, not points).
QFont font(int pixelSize, QFont::Weight weight = QFont::Normal);
// A label drawn in `color`, in a font of `pixelSize` pixels.
QLabel* label(const QString& text, int pixelSize, const QColor& color,
              QFont::Weight weight = QFont::Normal, QWidget* parent = nullptr);
void setColor(QLabel* label, const QColor& color);
// A one-pixel horizontal line in the card border colour at `opacity`.
QFrame* divider(double opacity = 1.0, QWidget* parent = nullptr);

// CSS's "ease-in-out", cubic-bezier(0.42, 0, 0.58, 1): the curve of the
// panel's short transitions.
QEasingCurve easeInOut();

// A small button outlined in a hairline, for secondary actions ("取消",
// "立即检查").
QPushButton* borderedButton(const QString& text, int pixelSize = 12, QWidget* parent = nullptr);
// A small button filled gold with dark text, for the one action that confirms
// ("添加", "保存"); greyed while disabled.
QPushButton* prominentButton(const QString& text, int pixelSize = 12, QWidget* parent = nullptr);

// A thin, dark scroll indicator in place of the desktop style's bar, which
// is drawn light on some desktops and looks foreign on the dark panel.
void styleScrollBars(QScrollArea* area);

// Makes `area` a tab's borderless vertical scroll area over a fresh content
// column with the panel's 14 px margins and spacing, and returns the column.
// Tab stops at it only while its content is taller than it is.
QVBoxLayout* makeTabColumn(QScrollArea* area);

// The pixel ratio of what `painter` really draws on, for pictures drawn at
// paint time: the window's backing store on screen, the picture itself when a
// widget is rendered into one (QWidget::render into a picture of ratio 2).
// QPainter::device() is the widget in both cases, with the ratio of the screen
// it was last shown on.
qreal devicePixelRatio(const QPainter& painter);

// A table or card painted by hand: clipped to a rounded rectangle of radius
// 12 and filled; after the content, `finishRoundedCard` draws the outline.
QPainterPath beginRoundedCard(QPainter& painter, const QRect& rect, const QColor& fill);
void finishRoundedCard(QPainter& painter, const QPainterPath& shape);

} // namespace PanelStyle
