#include "MarketData.h"

#include "MarketHours.h"
#include "market/FundEstimator.h"
#include "market/LastGood.h"

#include <QSet>

MarketData::MarketData(Clock now, TradingCalendar calendar, QObject* parent)
    : QObject(parent), m_now(std::move(now)), m_calendar(std::move(calendar))
{}

EstimateTrust MarketData::estimateTrust(const FundDetail& fund) const
{
    return EstimateLog::trust(fund, m_fundStockChanges, m_estimateHistory.days(fund.quote.code));
}

Profit::Summary MarketData::portfolio(const WatchConfig& watch, const Holdings& holdings) const
{
    QStringList watched;
    for (const FundConfig& f : watch.funds)
        watched.append(f.code);
    return Profit::summarize(holdings.funds, m_funds, watched, holdings.gold, m_gold);
}

const std::optional<QString>& MarketData::message(RefreshPart part) const
{
    return m_messages[std::size_t(part)];
}

std::optional<QString> MarketData::errorMessage() const
{
    const QStringList lines = messagesFor(Tab::gold) + messagesFor(Tab::cpo);
    if (lines.isEmpty())
        return std::nullopt;
    return lines.join(u'\n');
}

QStringList MarketData::messagesFor(Tab tab) const
{
    QStringList lines;
    const auto add = [&](RefreshPart part) {
        if (const auto& m = message(part))
            lines.append(*m);
    };
    switch (tab) {
    case Tab::gold:
        add(RefreshPart::gold);
        break;
    case Tab::cpo:
        add(RefreshPart::board);
        add(RefreshPart::overview);
        break;
    case Tab::fund:
        // The fund tab shows its message in a place of its own.
        break;
    }
    return lines;
}

MarketState MarketData::goldMarketState() const
{
    const QDateTime now = m_now();
    return MarketHours::goldState(m_calendar, now,
                                  MarketHours::isGoldDataStale(m_goldTrendData, now));
}

MarketState MarketData::stockMarketState() const
{
    return MarketHours::stockState(m_calendar, m_now());
}

bool MarketData::isAnyMarketOpen() const
{
    const MarketStatus gold = goldMarketStatus();
    return gold == MarketStatus::trading || gold == MarketStatus::delayed ||
           stockMarketStatus() == MarketStatus::trading;
}

bool MarketData::isGoldDataStale() const
{
    return MarketHours::isGoldDataStale(m_goldTrendData, m_now());
}

QStringList MarketData::calendarNotes() const
{
    const QDate today = TradingCalendar::shanghaiDate(m_now());
    QStringList notes;
    const bool stocks = m_calendar.dayClosure(Market::stocks, today) == Closure::detected;
    const bool gold = m_calendar.dayClosure(Market::gold, today) == Closure::detected;
    if (stocks || gold)
        notes << (stocks && gold ? QStringLiteral("A股和沪金")
                  : stocks       ? QStringLiteral("A股")
                                 : QStringLiteral("沪金")) +
                     QStringLiteral("今日休市（由行情数据判断，休市日历未收录此日）");
    const QDate validUntil = m_calendar.validUntil();
    if (!validUntil.isValid())
        notes << QStringLiteral("休市日历不可用，节假日休市由行情数据判断");
    else if (today > validUntil)
        notes << QStringLiteral("休市日历只收录到 %1 年，此后的节假日休市由行情数据判断")
                     .arg(validUntil.year());
    return notes;
}

void MarketData::setCurrentSectorCode(const QString& code)
{
    if (m_currentSectorCode == code)
        return;
    m_currentSectorCode = code;
    emit boardChanged();
}

void MarketData::setGold(GoldQuote quote, TrendData trend)
{
    m_gold = std::move(quote);
    m_goldTrendData = std::move(trend);
    emit goldChanged();
}

void MarketData::setBoard(const SectorQuote& answered, const QList<StockQuote>& stocks,
                          TrendData trend)
{
    m_answeredBoard = answered;
    m_sector = LastGood::merge(answered, m_sector);
    m_sectorStocks = LastGood::merge(stocks, m_sectorStocks);
    m_trendData = std::move(trend);
    emit boardChanged();
}

void MarketData::setOverview(QList<SectorQuote> answered)
{
    m_answeredSectors = std::move(answered);
    m_allSectors = LastGood::merge(m_answeredSectors, m_allSectors);
    emit overviewChanged();
}

void MarketData::setOverviewFromBoard()
{
    if (!m_sector)
        return;
    m_answeredSectors = {m_answeredBoard};
    m_allSectors = {*m_sector};
    emit overviewChanged();
}

void MarketData::keepFunds(const QStringList& watched)
{
    const QSet<QString> codes(watched.begin(), watched.end());
    if (m_funds.removeIf([&](const FundDetail& d) { return !codes.contains(d.quote.code); }) > 0)
        emit fundsChanged();
}

void MarketData::setFunds(QList<FundDetail> funds, QMap<QString, double> stockChanges)
{
    m_funds = std::move(funds);
    m_fundStockChanges = std::move(stockChanges);
    emit fundsChanged();
}

void MarketData::setMessage(RefreshPart part, std::optional<QString> message)
{
    auto& slot = m_messages[std::size_t(part)];
    if (slot == message)
        return;
    slot = std::move(message);
    emit messagesChanged();
}

void MarketData::setLoading(bool loading)
{
    if (m_isLoading == loading)
        return;
    m_isLoading = loading;
    emit progressChanged();
    emit countdownChanged(); // the header says "刷新中…"
}

void MarketData::setLastUpdate(const QDateTime& when)
{
    m_lastUpdate = when;
    emit progressChanged();
}

void MarketData::setCountdown(int seconds, bool allMarketsClosed, const QString& text)
{
    m_countdown = seconds;
    m_allMarketsClosed = allMarketsClosed;
    m_panelStatusText = text;
    emit countdownChanged();
    // The tabs' badges redraw only when a market's state moved.
    const std::pair states{goldMarketState(), stockMarketState()};
    if (states != m_shownStatus) {
        m_shownStatus = states;
        emit marketStatesChanged();
    }
}

bool MarketData::noteClosuresInQuotes()
{
    const QDateTime now = m_now();
    const QDate today = TradingCalendar::shanghaiDate(now);
    bool marked = false;
    if (MarketHours::showsNoTradingToday(m_calendar, Market::stocks, m_trendData, now))
        marked |= m_calendar.markDetected(Market::stocks, today);
    if (MarketHours::showsNoTradingToday(m_calendar, Market::gold, m_goldTrendData, now))
        marked |= m_calendar.markDetected(Market::gold, today);
    if (marked)
        emit marketStatesChanged();
    return marked;
}

void MarketData::rejudgeFunds(const QStringList& watched)
{
    const QDateTime now = m_now();
    judgeFunds(m_funds, m_fundStockChanges, now);
    noteEstimates(m_funds, watched, now);
    emit fundsChanged();
}

void MarketData::judgeFunds(QList<FundDetail>& details, const QMap<QString, double>& changes,
                            const QDateTime& now) const
{
    for (FundDetail& d : details) {
        d.navIsCurrent = EstimateLog::navIsCurrent(d.quote, now, m_calendar);
        d.estChangePct.reset();
        d.estNav.reset();
        if (d.navIsCurrent)
            continue;
        d.estChangePct = FundEstimator::estimateChangePct(d.holdings, changes);
        if (d.estChangePct)
            d.estNav = FundEstimator::estimateNav(d.quote.nav, *d.estChangePct);
    }
}

void MarketData::noteEstimates(const QList<FundDetail>& details, const QStringList& watched,
                               const QDateTime& now)
{
    m_estimateHistory.note(details, watched, now, m_calendar);
}
