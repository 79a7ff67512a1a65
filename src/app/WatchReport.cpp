#include "WatchReport.h"

#include "MenuBarController.h"
#include "market/Format.h"

#include <QJsonArray>

using namespace Qt::StringLiterals;

namespace WatchReport {

QString statusClass(const MenuBarController& c)
{
    if (c.market().errorMessage())
        return u"error"_s;
    if (c.title().startsWith(u'▲'))
        return u"up"_s;
    if (c.title().startsWith(u'▼'))
        return u"down"_s;
    return u"closed"_s;
}

QString fundLine(const FundDetail& fund, const std::optional<EstimateTrust>& trust)
{
    const FundQuote& q = fund.quote;
    if (fund.navIsCurrent)
        return q.name + u" 净值 "_s + Format::nav(q.nav) + u' ' + Format::pct(q.navChange()) +
               u"（净值已更新）"_s;
    QString line =
        fund.estNav && fund.estChangePct
            ? q.name + u" 估算 "_s + Format::nav(*fund.estNav) + u' ' +
                  Format::pct(*fund.estChangePct)
            : q.name + u" 净值 "_s + Format::nav(q.nav) + u' ' + Format::pct(q.navChange());
    if (trust) {
        const QString summary = EstimateLog::summary(*trust);
        if (!summary.isEmpty())
            line += u"（"_s + summary + u"）"_s;
    }
    return line;
}

QStringList tooltipLines(const MenuBarController& c)
{
    const MarketData& m = c.market();
    QStringList lines;
    if (const auto& gold = m.gold())
        lines << u"沪金主连 "_s + Format::price(gold->priceCNY) + u' ' +
                     Format::pct(gold->changePct);
    if (const auto& sector = m.sector())
        lines << sector->name + u' ' + Format::price(sector->index) + u' ' +
                     Format::pct(sector->changePct);
    for (const FundDetail& fund : m.funds())
        lines << fundLine(fund, m.estimateTrust(fund));
    if (const Profit::Summary portfolio = c.portfolio(); !portfolio.isEmpty())
        lines << Profit::todayLine(portfolio, c.holdingsStore().holdings().hideAmounts);
    if (const auto& message = m.errorMessage())
        lines << *message;
    if (const auto& message = m.fundErrorMessage())
        lines << *message;
    lines << m.calendarNotes();
    lines << c.undeliveredAlerts();
    return lines;
}

QString tooltip(const MenuBarController& c)
{
    return tooltipLines(c).join(u'\n');
}

QJsonObject waybar(const MenuBarController& c)
{
    QJsonArray funds;
    for (const FundDetail& fund : c.market().funds())
        funds.append(
            QJsonObject{{u"code"_s, fund.quote.code},
                        {u"name"_s, fund.quote.name},
                        {u"navIsCurrent"_s, fund.navIsCurrent},
                        {u"estimateTrust"_s, EstimateLog::toJson(c.market().estimateTrust(fund))}});
    return {{u"text"_s, c.title()},
            {u"tooltip"_s, tooltip(c)},
            {u"class"_s, statusClass(c)},
            {u"funds"_s, funds}};
}

} // namespace WatchReport
