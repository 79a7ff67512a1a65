#include "Profit.h"

#include "Format.h"
#include "Money.h"

#include <QSet>

namespace Profit {

namespace {

// quantity × (price − base), in fen.
std::optional<qint64> gain(qint64 quantity, qint64 price, qint64 base)
{
    const auto difference = Money::add(price, -base);
    return difference ? Money::fen(quantity, *difference) : std::nullopt;
}

// The holding profit and its rate, from the latest price per unit.
void addHolding(Figures& figures, const Position& position, qint64 latest)
{
    if (!position.cost)
        return;
    figures.holdingProfit = gain(position.quantity, latest, *position.cost);
    if (figures.holdingProfit && position.quantity > 0 && *position.cost > 0)
        figures.holdingRatePct = double(latest - *position.cost) / double(*position.cost) * 100;
}

// The value before a published change, in units: value / (1 + change).
std::optional<qint64> previousValue(double nav, double changePct)
{
    return Money::units(nav / (1 + changePct / 100));
}

// `total` += `part`; a sum that overflows is no sum.
void accumulate(std::optional<qint64>& total, bool& broken, std::optional<qint64> part)
{
    if (!part || broken)
        return;
    const auto sum = Money::add(total.value_or(0), *part);
    if (!sum) {
        broken = true;
        total.reset();
        return;
    }
    total = sum;
}

} // namespace

Figures fund(const Position& position, const FundDetail& fund)
{
    Figures figures;
    const auto nav = Money::units(fund.quote.nav);
    if (!nav)
        return figures;
    const bool estimating = fund.estNav && !fund.navIsCurrent;
    // The estimate as the card shows it, so that the figures agree with it.
    const auto estimate = estimating ? Money::units(*fund.estNav) : std::nullopt;
    if (estimating && !estimate)
        return figures;
    const qint64 latest = estimating ? *estimate : *nav;
    figures.value = Money::fen(position.quantity, latest);

    if (estimating) {
        if (const auto fen = gain(position.quantity, *estimate, *nav))
            figures.today = Day{*fen, DayKind::estimated, QString()};
    } else if (const auto change = fund.quote.navChange()) {
        const auto previous = previousValue(fund.quote.nav, *change);
        const auto fen = previous ? gain(position.quantity, *nav, *previous) : std::nullopt;
        if (fen)
            figures.today = Day{*fen, fund.navIsCurrent ? DayKind::confirmed : DayKind::earlier,
                                fund.quote.navDate};
    }
    addHolding(figures, position, latest);
    return figures;
}

Figures gold(const Position& position, const GoldQuote& quote)
{
    Figures figures;
    const auto price = Money::units(quote.priceCNY);
    if (!price || *price <= 0)
        return figures;
    figures.value = Money::fen(position.quantity, *price);
    // Without a previous settlement there is no day to speak of.
    const auto previous = Money::units(quote.prevCNY);
    if (previous && *previous > 0) {
        if (const auto fen = gain(position.quantity, *price, *previous))
            figures.today = Day{*fen, DayKind::market, QString()};
    }
    addHolding(figures, position, *price);
    return figures;
}

Summary summarize(const QMap<QString, Position>& positions, const QList<FundDetail>& funds,
                  const QStringList& watched, const std::optional<Position>& goldPosition,
                  const std::optional<GoldQuote>& goldQuote)
{
    Summary s;
    bool valueBroken = false, todayBroken = false, profitBroken = false, basisBroken = false;
    // A plain sum: whether any holding had a day is told by the kinds below.
    qint64 today = 0;
    std::optional<qint64> basis;
    bool estimated = false, confirmed = false, market = false;
    const auto add = [&](const Position& position, const Figures& f) {
        accumulate(s.value, valueBroken, f.value);
        if (f.today) {
            if (f.today->kind == DayKind::earlier) {
                ++s.earlierFunds;
            } else {
                const auto sum = Money::add(today, f.today->fen);
                todayBroken |= !sum;
                today = sum.value_or(0);
                estimated |= f.today->kind == DayKind::estimated;
                confirmed |= f.today->kind == DayKind::confirmed;
                market |= f.today->kind == DayKind::market;
            }
        }
        if (f.holdingProfit && position.cost) {
            accumulate(s.holdingProfit, profitBroken, f.holdingProfit);
            accumulate(basis, basisBroken, Money::fen(position.quantity, *position.cost));
        }
    };

    QSet<QString> seen;
    for (const FundDetail& detail : funds) {
        const auto position = positions.constFind(detail.quote.code);
        if (position == positions.constEnd() || seen.contains(detail.quote.code))
            continue;
        seen.insert(detail.quote.code);
        const Figures figures = fund(*position, detail);
        if (!figures.value) {
            ++s.missingFunds;
            continue;
        }
        ++s.funds;
        add(*position, figures);
    }
    for (const QString& code : watched) {
        if (positions.contains(code) && !seen.contains(code)) {
            seen.insert(code);
            ++s.missingFunds;
        }
    }
    if (goldPosition && goldQuote) {
        const Figures figures = gold(*goldPosition, *goldQuote);
        if (figures.value) {
            s.gold = true;
            add(*goldPosition, figures);
        }
    }

    if (!todayBroken && (estimated || confirmed || market)) {
        const DayKind kind = estimated   ? DayKind::estimated
                             : confirmed ? DayKind::confirmed
                                         : DayKind::market;
        s.today = Day{today, kind, QString()};
    }
    if (s.holdingProfit && basis && *basis > 0)
        s.holdingRatePct = double(*s.holdingProfit) / double(*basis) * 100;
    return s;
}

QString tag(const Day& day)
{
    switch (day.kind) {
    case DayKind::estimated:
        return QStringLiteral("估");
    case DayKind::confirmed:
        return QStringLiteral("已更新");
    case DayKind::earlier:
        // "2024-06-03" → "06-03"
        return day.date.size() == 10 ? day.date.mid(5) : day.date;
    case DayKind::market:
        break;
    }
    return {};
}

QString amount(std::optional<qint64> fen, bool hidden)
{
    if (!fen)
        return Format::absent();
    return hidden ? Format::masked() : Format::money(*fen);
}

QString signedAmount(std::optional<qint64> fen, bool hidden)
{
    if (!fen)
        return Format::absent();
    return hidden ? Format::masked() : Format::signedMoney(*fen);
}

QString todayLine(const Summary& summary, bool hidden)
{
    QString line =
        QStringLiteral("今日收益 ") +
        signedAmount(summary.today ? std::optional(summary.today->fen) : std::nullopt, hidden);
    QStringList notes;
    if (summary.today && !tag(*summary.today).isEmpty())
        notes.append(tag(*summary.today));
    if (summary.earlierFunds > 0)
        notes.append(QStringLiteral("不含 %1 只净值滞后的基金").arg(summary.earlierFunds));
    if (!notes.isEmpty())
        line += QStringLiteral("（") + notes.join(QStringLiteral("，")) + QStringLiteral("）");
    return line;
}

} // namespace Profit
