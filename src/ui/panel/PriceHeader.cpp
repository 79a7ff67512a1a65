#include "PriceHeader.h"

#include "MarketStatusBadge.h"
#include "PaintedLabel.h"
#include "Palette.h"
#include "market/Format.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// Rounded faces make the big number friendlier; most desktops have none, and
// then the ordinary face in bold is fine.
QString roundedFamily()
{
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const QString& candidate : {u"SF Pro Rounded"_s, u"Nunito"_s, u"M PLUS Rounded 1c"_s,
                                         u"Varela Round"_s, u"Arial Rounded MT Bold"_s}) {
            if (installed.contains(candidate, Qt::CaseInsensitive))
                return candidate;
        }
        return QString();
    }();
    return family;
}

// A centred row: stretch on both sides keeps the row's items together in the
// middle, whatever the header's width.
QHBoxLayout* centredRow(int spacing, std::initializer_list<QWidget*> items)
{
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(spacing);
    row->addStretch(1);
    for (QWidget* item : items)
        row->addWidget(item, 0, Qt::AlignVCenter);
    row->addStretch(1);
    return row;
}

} // namespace

PriceHeader::PriceHeader(QWidget* parent)
    : QWidget(parent), m_title(new PaintedLabel), m_badge(new MarketStatusBadge),
      m_price(new PaintedLabel), m_change(new PaintedLabel), m_secondary(new PaintedLabel)
{
    m_title->setFont(PaintedLabel::pixelFont(11));
    m_title->setColor(&Palette::secondaryText);
    m_title->setElideMode(Qt::ElideRight);
    m_badge->hide();

    QFont price = PaintedLabel::pixelFont(priceFontPixelSize, QFont::Bold);
    if (const QString family = roundedFamily(); !family.isEmpty())
        price.setFamily(family);
    m_price->setFont(price);
    m_price->setAlignment(Qt::AlignHCenter);
    m_price->setColor([this] { return trendColor(); });

    m_change->setFont(PaintedLabel::pixelFont(13, QFont::DemiBold));
    m_change->setColor([this] { return trendColor(); });
    m_change->hide();

    m_secondary->setFont(PaintedLabel::pixelFont(10));
    m_secondary->setColor(&Palette::secondaryText);
    m_secondary->setElideMode(Qt::ElideRight);
    m_secondary->hide();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(rowSpacing);
    column->addLayout(centredRow(titleSpacing, {m_title, m_badge}));
    column->addWidget(m_price);
    column->addLayout(centredRow(changeSpacing, {m_change, m_secondary}));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void PriceHeader::setTitle(const QString& title)
{
    m_title->setText(title);
}

void PriceHeader::setMarketStatus(std::optional<MarketStatus> status, Closure closure)
{
    if (status)
        m_badge->setStatus(*status, closure);
    m_badge->setVisible(status.has_value());
}

void PriceHeader::setPrice(const QString& price)
{
    m_price->setText(price);
}

void PriceHeader::setChangePct(std::optional<double> pct)
{
    m_changePct = pct;
    m_change->setText(Format::pct(pct));
    m_change->show();
    // The colour can change while the text stays: +0.001 % reads "+0.00%".
    m_change->update();
    m_price->update();
}

void PriceHeader::setSecondary(std::optional<QString> text)
{
    m_secondary->setText(text.value_or(QString()));
    m_secondary->setVisible(text.has_value());
}

QString PriceHeader::titleText() const
{
    return m_title->text();
}

bool PriceHeader::hasBadge() const
{
    return !m_badge->isHidden();
}

QString PriceHeader::priceText() const
{
    return m_price->text();
}

QColor PriceHeader::priceColor() const
{
    return m_price->color();
}

QFont PriceHeader::priceFont() const
{
    return m_price->font();
}

QString PriceHeader::changeText() const
{
    return m_change->isHidden() ? QString() : m_change->text();
}

QColor PriceHeader::changeColor() const
{
    return m_change->color();
}

bool PriceHeader::hasSecondary() const
{
    return !m_secondary->isHidden();
}

QString PriceHeader::secondaryText() const
{
    return hasSecondary() ? m_secondary->text() : QString();
}

QColor PriceHeader::trendColor() const
{
    // Until a change is known, or when there is none, the price is neither
    // up nor down.
    return Palette::trend(m_changePct.value_or(0.0));
}
