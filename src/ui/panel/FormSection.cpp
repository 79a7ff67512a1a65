#include "FormSection.h"

#include "FormLabel.h"

#include <QVBoxLayout>

FormSection::FormSection(const QString& label, QWidget* content, QWidget* parent)
    : QWidget(parent), m_label(new FormLabel(label)), m_content(content)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(spacing);
    column->addWidget(m_label);
    // No alignment flag: a stretchable field takes the full width, and a
    // fixed-width one stays at the left edge.
    if (m_content)
        column->addWidget(m_content);
    // Given more height than it needs, the section keeps caption and field
    // together at the top.
    column->addStretch(1);
}
