#include "ConfirmSheet.h"

#include "Palette.h"
#include "PanelStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ConfirmSheet::ConfirmSheet(const QString& title, const QString& text, const QString& action,
                           QWidget* parent)
    : QWidget(parent)
{
    setFixedSize(sheetSize);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(10);
    column->addWidget(PanelStyle::label(title, 14, Palette::primaryText(), QFont::DemiBold));
    m_text = PanelStyle::label(text, 12, Palette::secondaryText());
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    column->addWidget(m_text);
    column->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch(1);
    // Going back is what Return does (the sheet opens with the keyboard on
    // it): nothing is lost by a slip of the key. Escape closes the overlay.
    m_cancel = PanelStyle::borderedButton(QStringLiteral("取消"));
    m_cancel->setDefault(true);
    connect(m_cancel, &QPushButton::clicked, this, &ConfirmSheet::cancel);
    buttons->addWidget(m_cancel);
    m_confirm = PanelStyle::borderedButton(action);
    // The action loses something: it says so in red.
    m_confirm->setStyleSheet(
        m_confirm->styleSheet() +
        QStringLiteral(" QPushButton { color: %1; }").arg(Palette::up().name()));
    connect(m_confirm, &QPushButton::clicked, this, &ConfirmSheet::confirm);
    buttons->addWidget(m_confirm);
    column->addLayout(buttons);
}

QString ConfirmSheet::text() const
{
    return m_text->text();
}

void ConfirmSheet::confirm()
{
    emit confirmed();
    emit finished();
}

void ConfirmSheet::cancel()
{
    emit finished();
}
