#pragma once

#include <QComboBox>

// A drop-down that changes only on a click or a key. A mouse wheel turned
// over it scrolls whatever it sits in: the settings page and the panel are
// scrolled with the wheel all the time, and a choice that changes under a
// passing pointer is a stored setting changed by accident.
class PickerBox : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void wheelEvent(QWheelEvent* event) override;
};
