#include "FundSearchService.h"

#include "Origins.h"

#include <QDateTime>

FundSearchService::FundSearchService(QString origin, std::chrono::milliseconds timeout)
    : m_origin(std::move(origin)), m_timeout(timeout)
{}

QString FundSearchService::defaultOrigin()
{
    return Origins::fundSearch();
}

QCoro::Task<SearchOutcome> FundSearchService::search(QString text)
{
    const QString key = text.trimmed();
    if (!SearchFlight::isWorthSending(key))
        co_return SearchOutcome::dropped();
    // "_" is the time the web pages add so that no cache answers for them.
    const QUrl url(m_origin + QStringLiteral("/FundSearch/api/FundSearchAPI.ashx?m=1&key=") +
                   NetworkClient::queryValue(key) + QStringLiteral("&_=") +
                   QString::number(QDateTime::currentMSecsSinceEpoch()));
    co_return co_await m_flight.fetch(url, NetworkClient::defaultUA.toString(), referer.toString(),
                                      m_timeout, SearchParser::funds);
}
