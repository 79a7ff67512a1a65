#include "FormLabel.h"

#include "Palette.h"

FormLabel::FormLabel(const QString& text, QWidget* parent) : PaintedLabel(text, parent)
{
    setFont(pixelFont(12));
    setColor(&Palette::secondaryText);
    setElideMode(Qt::ElideRight);
}
