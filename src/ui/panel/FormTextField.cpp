#include "FormTextField.h"

#include "PaintedLabel.h"
#include "Palette.h"

#include <QEvent>
#include <QPainter>

namespace {

// QLineEdit keeps a margin of its own around the text (2 px across, 1 px
// down); the text margins make up the rest of the padding.
constexpr int builtInHorizontalMargin = 2;
constexpr int builtInVerticalMargin = 1;

} // namespace

FormTextField::FormTextField(const QString& placeholder, std::optional<int> width, QWidget* parent)
    : QLineEdit(parent)
{
    setPlaceholderText(placeholder);
    setFrame(false);
    setFont(PaintedLabel::pixelFont(14));
    const int dx = horizontalPadding - builtInHorizontalMargin;
    const int dy = verticalPadding - builtInVerticalMargin;
    setTextMargins(dx, dy, dx, dy);
    setFixedHeight(fieldHeight);
    if (width)
        setFixedWidth(*width);
    applyTextColors();
}

QColor FormTextField::outlineColor() const
{
    return hasFocus() ? Palette::withOpacity(Palette::brandGold(), 0.7) : Palette::cardBorder();
}

qreal FormTextField::outlineWidth() const
{
    return hasFocus() ? 1.5 : 0.5;
}

void FormTextField::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    // A palette handed down from a parent would bring its own text colours
    // and base; the field keeps the panel's.
    if (event->type() == QEvent::PaletteChange)
        applyTextColors();
}

void FormTextField::applyTextColors()
{
    // The well is painted here, so the style's own base fill must stay out of
    // the way; the text colours are the panel's.
    QPalette colors = palette();
    colors.setColor(QPalette::Base, Qt::transparent);
    colors.setColor(QPalette::Text, Palette::primaryText());
    colors.setColor(QPalette::PlaceholderText, Palette::placeholderText());
    // Setting an equal palette sends no change event, so this does not loop.
    setPalette(colors);
}

void FormTextField::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::zebraLight());
        painter.drawRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    }
    QLineEdit::paintEvent(event);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal penWidth = outlineWidth();
    painter.setPen(QPen(outlineColor(), penWidth));
    painter.setBrush(Qt::NoBrush);
    // Inset by half the pen so the whole outline lies inside the widget.
    const qreal inset = penWidth / 2;
    painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), cornerRadius,
                            cornerRadius);
}

void FormTextField::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    update();
}

void FormTextField::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    update();
}
