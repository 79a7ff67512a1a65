#include "SectorSearchService.h"

#include "Origins.h"

SectorSearchService::SectorSearchService(QString origin, std::chrono::milliseconds timeout)
    : m_origin(std::move(origin)), m_timeout(timeout)
{}

QString SectorSearchService::defaultOrigin()
{
    return Origins::codeSearch();
}

QCoro::Task<SearchOutcome> SectorSearchService::search(QString text)
{
    const QString key = text.trimmed();
    if (!SearchFlight::isWorthSending(key))
        co_return SearchOutcome::dropped();
    const QUrl url(m_origin +
                   QStringLiteral("/codetable/search/web?client=web&clientType=webSuggest"
                                  "&clientVersion=lastest&keyword=") +
                   NetworkClient::queryValue(key) + QStringLiteral("&pageIndex=1&pageSize=") +
                   QString::number(pageSize));
    co_return co_await m_flight.fetch(url, NetworkClient::defaultUA.toString(),
                                      NetworkClient::defaultReferer.toString(), m_timeout,
                                      SearchParser::boards);
}
