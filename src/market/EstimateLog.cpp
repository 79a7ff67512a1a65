#include "EstimateLog.h"

#include "Format.h"

#include <algorithm>
#include <cmath>

std::optional<double> EstimateDay::error() const
{
    if (!publishedChangePct)
        return std::nullopt;
    return *publishedChangePct - changePct;
}

namespace EstimateLog {

namespace {

// Two decimals with a sign, never "-0.00".
QString signedPoints(double x)
{
    const QString text = Format::fixed(x, 2);
    if (text == QStringLiteral("-0.00") || text == QStringLiteral("0.00"))
        return QStringLiteral("0.00");
    return text.startsWith(u'-') ? text : u'+' + text;
}

QJsonValue orNull(const std::optional<double>& x)
{
    return x ? QJsonValue(*x) : QJsonValue(QJsonValue::Null);
}

} // namespace

std::optional<QDate> estimateDay(const QDateTime& now, const TradingCalendar& calendar)
{
    if (!now.isValid())
        return std::nullopt;
    const QDateTime local = TradingCalendar::inShanghai(now);
    const QDate date = local.date();
    if (calendar.isTradingDay(Market::stocks, date)) {
        if (local.time() >= QTime(9, 30))
            return date;
        if (local.time() >= QTime(9, 15))
            return std::nullopt;
    }
    return calendar.previousTradingDay(Market::stocks, date);
}

bool navIsCurrent(const FundQuote& quote, const QDateTime& now, const TradingCalendar& calendar)
{
    const QDate published = QDate::fromString(quote.navDate, Qt::ISODate);
    if (!published.isValid() || !now.isValid())
        return false;
    // During the auction the changes are already the new day's.
    const QDate day = estimateDay(now, calendar).value_or(TradingCalendar::shanghaiDate(now));
    return published >= day;
}

bool note(QList<EstimateDay>& days, const FundDetail& fund, const QDateTime& now,
          const TradingCalendar& calendar)
{
    const QDate published = QDate::fromString(fund.quote.navDate, Qt::ISODate);
    if (!published.isValid())
        return false; // nothing to match against
    const QList<EstimateDay> before = days;

    // Settle the published day; drop what can no longer be settled.
    days.removeIf([&](const EstimateDay& d) {
        if (d.publishedChangePct)
            return false;
        if (d.date == published)
            return fund.quote.navChangeMissing;
        return d.date < published;
    });
    for (EstimateDay& d : days) {
        if (d.date == published && !d.publishedChangePct)
            d.publishedChangePct = fund.quote.navChangePct;
    }

    const auto day = estimateDay(now, calendar);
    if (day && *day > published && fund.estChangePct && fund.estNav) {
        const EstimateDay made{.date = *day,
                               .madeAt = TradingCalendar::inShanghai(now),
                               .changePct = *fund.estChangePct,
                               .nav = *fund.estNav,
                               .publishedChangePct = std::nullopt};
        const auto at =
            std::lower_bound(days.begin(), days.end(), *day,
                             [](const EstimateDay& d, const QDate& date) { return d.date < date; });
        if (at == days.end() || at->date != *day) {
            days.insert(at, made);
        } else if (!at->publishedChangePct &&
                   (at->changePct != made.changePct || at->nav != made.nav)) {
            *at = made;
        }
    }

    if (days.size() > keptDays)
        days.remove(0, days.size() - keptDays);
    return days != before;
}

EstimateTrust trust(const FundDetail& fund, const QMap<QString, double>& changes,
                    const QList<EstimateDay>& days)
{
    EstimateTrust t;
    t.coverage = FundEstimator::coverage(fund.holdings, changes);
    t.navDate = fund.quote.navDate;
    const QDate published = QDate::fromString(fund.quote.navDate, Qt::ISODate);
    double absSum = 0;
    for (const EstimateDay& d : days) {
        const auto error = d.error();
        if (!error)
            continue;
        absSum += std::abs(*error);
        ++t.errorDays;
        if (published.isValid() && d.date == published)
            t.navDateError = error;
    }
    if (t.errorDays > 0)
        t.meanAbsError = absSum / t.errorDays;
    return t;
}

QString toolTip(const EstimateTrust& t)
{
    QStringList lines;
    if (t.coverage.holdings == 0) {
        lines.append(QStringLiteral("持仓覆盖 --（暂无重仓数据）"));
    } else {
        lines.append(QStringLiteral("持仓覆盖 %1%（%2/%3 只已定价）")
                         .arg(Format::fixed(t.coverage.weightPct, 1))
                         .arg(t.coverage.priced)
                         .arg(t.coverage.holdings));
    }
    lines.append(QStringLiteral("最新净值日期 ") +
                 (t.navDate.isEmpty() ? QStringLiteral("--") : t.navDate));
    lines.append(t.navDateError
                     ? QStringLiteral("当日估算误差 %1 个百分点").arg(signedPoints(*t.navDateError))
                     : QStringLiteral("当日估算误差 暂无记录"));
    lines.append(t.meanAbsError ? QStringLiteral("平均绝对误差 %1 个百分点（共 %2 日）")
                                      .arg(Format::fixed(*t.meanAbsError, 2))
                                      .arg(t.errorDays)
                                : QStringLiteral("平均绝对误差 暂无记录"));
    return lines.join(u'\n');
}

QString summary(const EstimateTrust& t)
{
    QStringList parts;
    if (t.coverage.holdings > 0)
        parts.append(QStringLiteral("覆盖 %1%（%2/%3）")
                         .arg(Format::fixed(t.coverage.weightPct, 1))
                         .arg(t.coverage.priced)
                         .arg(t.coverage.holdings));
    if (t.navDateError)
        parts.append(QStringLiteral("当日误差 ") + signedPoints(*t.navDateError));
    if (t.meanAbsError)
        parts.append(QStringLiteral("平均 %1（%2 日）")
                         .arg(Format::fixed(*t.meanAbsError, 2))
                         .arg(t.errorDays));
    return parts.join(QStringLiteral(" · "));
}

QJsonObject toJson(const EstimateTrust& t)
{
    return {{QStringLiteral("coveragePct"), t.coverage.weightPct},
            {QStringLiteral("pricedHoldings"), t.coverage.priced},
            {QStringLiteral("holdings"), t.coverage.holdings},
            {QStringLiteral("navDate"), t.navDate},
            {QStringLiteral("navDateError"), orNull(t.navDateError)},
            {QStringLiteral("meanAbsError"), orNull(t.meanAbsError)},
            {QStringLiteral("errorDays"), t.errorDays}};
}

} // namespace EstimateLog
