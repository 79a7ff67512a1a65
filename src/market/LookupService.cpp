#include "LookupService.h"

#include "EastMoneyParser.h"
#include "FundService.h"
#include "JsonRead.h"
#include "Origins.h"

#include <QRegularExpression>

namespace {

// Spaces and tabs (any Unicode space separator), not line breaks.
bool isBlank(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

LookupService::LookupService(QString quoteOrigin, QString fundOrigin,
                             std::chrono::milliseconds timeout)
    : m_quoteOrigin(std::move(quoteOrigin)), m_fundOrigin(std::move(fundOrigin)), m_timeout(timeout)
{}

QString LookupService::defaultQuoteOrigin()
{
    return Origins::quote();
}

QString LookupService::defaultFundOrigin()
{
    return Origins::fund();
}

QString LookupService::normalizeSectorCode(const QString& typed)
{
    return trimBlanks(typed).toUpper();
}

QString LookupService::normalizeFundCode(const QString& typed)
{
    return trimBlanks(typed);
}

bool LookupService::isCompleteSectorCode(const QString& code)
{
    static const QRegularExpression kCode(QStringLiteral("^BK[0-9]{4}$"));
    return kCode.match(code).hasMatch();
}

bool LookupService::isCompleteFundCode(const QString& code)
{
    static const QRegularExpression kCode(QStringLiteral("^[0-9]{6}$"));
    return kCode.match(code).hasMatch();
}

QCoro::Task<std::optional<QString>> LookupService::sectorName(QString code)
{
    const QUrl url(m_quoteOrigin + QStringLiteral("/api/qt/ulist.np/get?fltt=2&secids=90.") +
                   NetworkClient::queryValue(code) + QStringLiteral("&fields=f12,f14"));
    QJsonObject json;
    try {
        json = co_await NetworkClient::getJSON(url, NetworkClient::defaultUA.toString(),
                                               NetworkClient::defaultReferer.toString(), m_timeout,
                                               m_scope.handle());
    } catch (...) {
        co_return std::nullopt;
    }
    const auto rows = EastMoneyParser::rows(json);
    if (!rows || rows->isEmpty())
        co_return std::nullopt;
    co_return JsonRead::text(rows->first(), "f14");
}

QCoro::Task<std::optional<QString>> LookupService::fundName(QString code)
{
    const QUrl url(m_fundOrigin +
                   QStringLiteral("/FundMNewApi/FundMNFInfo?pageIndex=1&pageSize=1&Fcodes=") +
                   NetworkClient::queryValue(code) + u'&' + FundService::commonParams.toString());
    QJsonObject json;
    try {
        json = co_await NetworkClient::getJSON(url, FundService::ua.toString(),
                                               FundService::referer.toString(), m_timeout,
                                               m_scope.handle());
    } catch (...) {
        co_return std::nullopt;
    }
    const auto rows = JsonRead::objects(json, "Datas");
    if (!rows || rows->isEmpty())
        co_return std::nullopt;
    co_return JsonRead::text(rows->first(), "SHORTNAME");
}
