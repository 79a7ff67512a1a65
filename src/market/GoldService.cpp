#include "GoldService.h"

#include "EastMoneyParser.h"
#include "JsonRead.h"
#include "Origins.h"

GoldService::GoldService(QString origin, std::chrono::milliseconds timeout, Clock now)
    : m_base(std::move(origin)), m_timeout(timeout), m_now(std::move(now))
{
    if (!m_now)
        m_now = [] { return QDateTime::currentDateTime(); };
}

QString GoldService::defaultOrigin()
{
    return Origins::quote();
}

QUrl GoldService::quoteUrl() const
{
    return QUrl(m_base +
                QStringLiteral("/api/qt/ulist.np/get?fltt=2&secids=113.aum&fields=f2,f3,f4,"
                               "f5,f6,f12,f14,f15,f16,f17,f18"));
}

QCoro::Task<GoldQuote> GoldService::fetch(CancelHandle cancel)
{
    // Nothing of the service is touched after the request: it may be gone
    // by the time an aborted request resumes us.
    const Clock clock = m_now;
    const QJsonObject json = co_await NetworkClient::getJSON(
        quoteUrl(), NetworkClient::defaultUA.toString(), NetworkClient::defaultReferer.toString(),
        m_timeout, m_scope.handle(cancel));
    const auto rows = EastMoneyParser::rows(json);
    if (!rows || rows->isEmpty())
        throw FetchError::invalidData(QStringLiteral("沪金解析失败"));
    const QJsonObject& row = rows->first();

    // The quote carries the time it was read, not a time from the provider.
    const QDateTime now = clock().toLocalTime();
    co_return GoldQuote{
        .priceCNY = JsonRead::numberOr(row, "f2"),
        .prevCNY = JsonRead::numberOr(row, "f18"),
        .highCNY = JsonRead::numberOr(row, "f15"),
        .lowCNY = JsonRead::numberOr(row, "f16"),
        .changePct = JsonRead::numberOr(row, "f3"),
        .time = now.toString(QStringLiteral("HH:mm:ss")),
        .date = now.toString(QStringLiteral("yyyy-MM-dd")),
    };
}
