#include "FundService.h"

#include "FundParser.h"
#include "Origins.h"

#include <vector>

FundService::FundService(QString origin, std::chrono::milliseconds timeout)
    : m_base(origin + QStringLiteral("/FundMNewApi")), m_timeout(timeout)
{}

QString FundService::defaultOrigin()
{
    return Origins::fund();
}

QCoro::Task<QJsonObject> FundService::get(QString url, CancelHandle cancel)
{
    co_return co_await NetworkClient::getJSON(QUrl(url), ua.toString(), referer.toString(),
                                              m_timeout, m_scope.handle(cancel));
}

QCoro::Task<QList<FundQuote>> FundService::fetchQuotes(QStringList codes, CancelHandle cancel)
{
    if (codes.isEmpty())
        co_return QList<FundQuote>{};
    const QJsonObject json =
        co_await get(m_base + QStringLiteral("/FundMNFInfo?Fcodes=") +
                         NetworkClient::queryList(codes) + u'&' + commonParams.toString(),
                     cancel);
    co_return FundParser::parseQuotes(json);
}

QCoro::Task<QList<FundHolding>> FundService::fetchHoldings(QString code, CancelHandle cancel)
{
    const QJsonObject json =
        co_await get(m_base + QStringLiteral("/FundMNInverstPosition?FCODE=") +
                         NetworkClient::queryValue(code) + u'&' + commonParams.toString(),
                     cancel);
    co_return FundParser::parseHoldings(json);
}

QCoro::Task<QList<FundHolding>> FundService::holdingsOrEmpty(QString code, CancelHandle cancel)
{
    try {
        co_return co_await fetchHoldings(code, cancel);
    } catch (...) {
        // One fund's missing holdings must not cost the others their values.
        co_return QList<FundHolding>{};
    }
}

QCoro::Task<QList<FundDetail>> FundService::fetchAll(QStringList codes, CancelHandle cancel)
{
    const QList<FundQuote> quotes = co_await fetchQuotes(codes, cancel);
    QList<FundDetail> details;
    if (quotes.isEmpty())
        co_return details;

    // Tasks start eagerly, so every holdings request is in flight before the
    // first is awaited; awaiting them in position order keeps the quotes' order.
    std::vector<QCoro::Task<QList<FundHolding>>> children;
    children.reserve(quotes.size());
    for (const FundQuote& quote : quotes)
        children.push_back(holdingsOrEmpty(quote.code, cancel));

    details.reserve(quotes.size());
    for (qsizetype i = 0; i < quotes.size(); ++i) {
        FundDetail detail{.quote = quotes[i], .holdings = {}, .estNav = {}, .estChangePct = {}};
        detail.holdings = co_await children[static_cast<size_t>(i)];
        details.append(std::move(detail));
    }
    co_return details;
}
