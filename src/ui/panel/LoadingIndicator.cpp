#include "LoadingIndicator.h"

#include "Palette.h"
#include "PanelStyle.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

LoadingIndicator::LoadingIndicator(const QString& text, int topMargin, QWidget* parent)
    : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, topMargin, 0, 0);
    column->setSpacing(6);
    auto* bar = new QProgressBar;
    bar->setRange(0, 0); // indeterminate
    bar->setTextVisible(false);
    bar->setFixedSize(120, 4);
    column->addWidget(bar, 0, Qt::AlignHCenter);
    m_label = PanelStyle::label(text, 12, Palette::secondaryText());
    column->addWidget(m_label, 0, Qt::AlignHCenter);
}

QString LoadingIndicator::text() const
{
    return m_label->text();
}
