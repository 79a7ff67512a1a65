#pragma once

#include "FundEstimator.h"
#include "QuoteRecords.h"
#include "calendar/TradingCalendar.h"

#include <QDate>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>

#include <optional>

// How far to trust a fund's intraday estimate: how much of the fund it rests
// on, and how wrong the estimates of the last trading days turned out once
// the fund published its value. The record itself is kept by
// EstimateHistory; the rules live here as pure functions.
//
// Which trading day an estimate belongs to (estimateDay): the day whose
// changes the quote service reports at that instant, read in Shanghai time,
// by the A-share calendar (TradingCalendar). A trading day runs from
// its 09:30 open until 09:15 on the next trading day, when the opening
// auction starts to show the new day's prices; refreshes in the evening, in
// the night gold session, on the weekend, over a holiday and before the next
// auction all belong to the last trading day, and carry its closing changes.
// Estimates made during the auction (09:15–09:30) belong to no day. A
// closure the calendar does not know (past its table, before the quotes
// showed it) files the morning's estimates under the closed date; the rule
// below drops them once a later published value shows the day had none.
//
// How an estimate meets its published value (note), at every fund refresh
// with P the fund's published value date (FundQuote::navDate):
// - the entry dated P, if there is one and it is still open, is settled with
//   the published change; its error is published minus estimated change, in
//   percentage points. A fund that publishes a value without a change gives
//   no comparison: that entry is dropped;
// - open entries dated before P are dropped: the provider only ever shows
//   its latest value, so theirs was published and replaced while nobody
//   looked (the program was not running, or the day turned out closed);
// - the estimate now on screen is recorded under its day D when D is after
//   P, replacing an open entry for D: the last estimate of a day wins. When
//   D's value is already out (D is P or earlier) nothing is recorded, since
//   an estimate made after the answer is known measures nothing. A refresh
//   that repeats an entry's figures leaves it, and its time, as it is;
// - only the latest keptDays entries are kept.
// A value published after the next day's trading has begun settles its own
// day's entry, whatever has since been recorded for the next day. Days
// without an estimate have no entry and count in no figure. The record is
// read back from the preferences store at start, so a restart continues it.
struct EstimateDay {
    QDate date;           // the trading day the estimate belongs to
    QDateTime madeAt;     // when it was made, in Shanghai time
    double changePct = 0; // estimated change, percent
    double nav = 0;       // estimated value
    // The fund's published change for `date`, once it is out.
    std::optional<double> publishedChangePct;

    // Published minus estimated change, in percentage points; absent while open.
    std::optional<double> error() const;

    bool operator==(const EstimateDay&) const = default;
};

// The figures shown beside an estimate.
struct EstimateTrust {
    FundEstimator::Coverage coverage;   // of the estimate now on screen
    QString navDate;                    // date of the latest published value, as delivered
    std::optional<double> navDateError; // error of the estimate recorded for navDate
    std::optional<double> meanAbsError; // mean |error| over errorDays, percentage points
    int errorDays = 0;                  // settled days in the record

    bool operator==(const EstimateTrust&) const = default;
};

namespace EstimateLog {

constexpr qsizetype keptDays = 60;

// The trading day an estimate made at `now` belongs to; absent during the
// opening auction.
std::optional<QDate> estimateDay(const QDateTime& now, const TradingCalendar& calendar);

// Whether `quote`'s published value already belongs to the day whose changes
// the quote service reports at `now` (estimateDay, or during the opening
// auction the day being opened): an estimate would then count that day's
// move twice. False for a value without a readable date.
bool navIsCurrent(const FundQuote& quote, const QDateTime& now, const TradingCalendar& calendar);

// Applies one refresh of one fund to its record (oldest day first), as
// described above. Returns whether the record changed.
bool note(QList<EstimateDay>& days, const FundDetail& fund, const QDateTime& now,
          const TradingCalendar& calendar);

// The figures for a fund as refreshed: `changes` is the map its estimate was
// made from, `days` its record.
EstimateTrust trust(const FundDetail& fund, const QMap<QString, double>& changes,
                    const QList<EstimateDay>& days);

// The fund card's tool tip, one figure a line, for example
//   持仓覆盖 45.2%（5/10 只已定价）
//   最新净值日期 2024-06-04
//   当日估算误差 +0.22 个百分点
//   平均绝对误差 0.18 个百分点（共 3 日）
QString toolTip(const EstimateTrust& trust);

// The same figures on one short line for a status bar's tool tip:
// "覆盖 45.2%（5/10） · 当日误差 +0.12 · 平均 0.10（3 日）", the parts without a
// figure left out.
QString summary(const EstimateTrust& trust);

// The same figures, unrounded, for the command-line output:
// {"coveragePct", "pricedHoldings", "holdings", "navDate", "navDateError",
//  "meanAbsError", "errorDays"}; an absent figure is null.
QJsonObject toJson(const EstimateTrust& trust);

} // namespace EstimateLog
