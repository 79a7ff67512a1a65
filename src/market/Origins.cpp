#include "Origins.h"

#include "Log.h"

#include <QSet>
#include <QUrl>
#include <QtGlobal>

namespace Origins {

std::optional<QString> normalize(const QString& text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    const QString scheme = url.scheme();
    if (scheme != QStringLiteral("http") && scheme != QStringLiteral("https"))
        return std::nullopt;
    if (url.host().isEmpty() || !url.userInfo().isEmpty() || url.hasQuery() || url.hasFragment())
        return std::nullopt;
    if (!url.path().isEmpty() && url.path() != QStringLiteral("/"))
        return std::nullopt;
    QUrl origin;
    origin.setScheme(scheme);
    origin.setHost(url.host());
    origin.setPort(url.port());
    return origin.toString(QUrl::FullyEncoded);
}

QString fromEnvironment(const char* variable, const QString& fallback)
{
    if (!qEnvironmentVariableIsSet(variable))
        return fallback;
    const QString value = qEnvironmentVariable(variable);
    if (const auto origin = normalize(value))
        return *origin;
    static QSet<QByteArray> reported;
    if (!reported.contains(variable)) {
        reported.insert(variable);
        qCWarning(quotaraLog, "ignoring %s=%s: not an http(s) origin", variable, qPrintable(value));
    }
    return fallback;
}

QString quote()
{
    return fromEnvironment("QUOTARA_QUOTE_ORIGIN",
                           QStringLiteral("https://push2delay.eastmoney.com"));
}

QString fund()
{
    return fromEnvironment("QUOTARA_FUND_ORIGIN",
                           QStringLiteral("https://fundmobapi.eastmoney.com"));
}

QString update()
{
    return fromEnvironment("QUOTARA_UPDATE_ORIGIN", QStringLiteral("https://orlenby.com"));
}

QString githubApi()
{
    return fromEnvironment("QUOTARA_GITHUB_API_ORIGIN", QStringLiteral("https://api.github.com"));
}

QString fundSearch()
{
    return fromEnvironment("QUOTARA_FUND_SEARCH_ORIGIN",
                           QStringLiteral("https://fundsuggest.eastmoney.com"));
}

QString codeSearch()
{
    return fromEnvironment("QUOTARA_CODE_SEARCH_ORIGIN",
                           QStringLiteral("https://search-codetable.eastmoney.com"));
}

QString donationPage()
{
    const QString fallback = QStringLiteral("https://orlenby.com/works/donate");
    if (!qEnvironmentVariableIsSet("QUOTARA_DONATION_URL"))
        return fallback;
    const QUrl url(qEnvironmentVariable("QUOTARA_DONATION_URL").trimmed(), QUrl::StrictMode);
    const bool web =
        url.isValid() && !url.host().isEmpty() &&
        (url.scheme() == QStringLiteral("http") || url.scheme() == QStringLiteral("https"));
    return web ? url.toString(QUrl::FullyEncoded) : fallback;
}

} // namespace Origins
