#include "WatchReport.h"

#include "MenuBarController.h"
#include "market/Format.h"

using namespace Qt::StringLiterals;

namespace WatchReport {

namespace {

// Fund values are published with four decimals.
QString nav(double value)
{
    return Format::fixed(value, 4);
}

} // namespace

QString statusClass(const MenuBarController& c)
{
    if (c.errorMessage())
        return u"error"_s;
    if (c.title().startsWith(u'▲'))
        return u"up"_s;
    if (c.title().startsWith(u'▼'))
        return u"down"_s;
    return u"closed"_s;
}

QString fundLine(const FundDetail& fund)
{
    const FundQuote& q = fund.quote;
    if (fund.estNav && fund.estChangePct)
        return q.name + u" 估算 "_s + nav(*fund.estNav) + u' ' + Format::pct(*fund.estChangePct);
    return q.name + u" 净值 "_s + nav(q.nav) + u' ' + Format::pct(q.navChangePct);
}

QStringList tooltipLines(const MenuBarController& c)
{
    QStringList lines;
    if (const auto& gold = c.gold())
        lines << u"沪金主连 "_s + Format::price(gold->priceCNY) + u' ' +
                     Format::pct(gold->changePct);
    if (const auto& sector = c.sector())
        lines << sector->name + u' ' + Format::price(sector->index) + u' ' +
                     Format::pct(sector->changePct);
    for (const FundDetail& fund : c.funds())
        lines << fundLine(fund);
    if (const auto& message = c.errorMessage())
        lines << *message;
    if (const auto& message = c.fundErrorMessage())
        lines << *message;
    return lines;
}

QString tooltip(const MenuBarController& c)
{
    return tooltipLines(c).join(u'\n');
}

QJsonObject waybar(const MenuBarController& c)
{
    return {{u"text"_s, c.title()}, {u"tooltip"_s, tooltip(c)}, {u"class"_s, statusClass(c)}};
}

} // namespace WatchReport
