#include "Card.h"

#include "Palette.h"

#include <QPainter>
#include <QVBoxLayout>

Card::Card(Kind kind, QWidget* content, QWidget* parent)
    : QWidget(parent), m_kind(kind), m_layout(new QVBoxLayout(this))
{
    const int margin = kind == Kind::Settings ? 0 : padding;
    m_layout->setContentsMargins(margin, margin, margin, margin);
    m_layout->setSpacing(0);
    setContent(content);
}

void Card::setContent(QWidget* content)
{
    if (content == m_content)
        return;
    delete m_content;
    m_content = content;
    if (m_content)
        m_layout->addWidget(m_content);
}

void Card::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    constexpr qreal penWidth = 0.5;
    painter.setPen(QPen(Palette::cardBorder(), penWidth));
    painter.setBrush(Palette::cardBackground());
    const qreal inset = penWidth / 2;
    painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), cornerRadius,
                            cornerRadius);
}
