#include "PickerBox.h"

#include <QWheelEvent>

void PickerBox::wheelEvent(QWheelEvent* event)
{
    event->ignore(); // on to the parent, which scrolls
}
