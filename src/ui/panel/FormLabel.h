#pragma once

#include "PaintedLabel.h"

// The caption above a form field: 12 px, in the secondary text colour.
class FormLabel : public PaintedLabel {
    Q_OBJECT
public:
    explicit FormLabel(const QString& text, QWidget* parent = nullptr);
};
