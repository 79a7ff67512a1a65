#pragma once

#include "QuoteRecords.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// The gold contract trades a night session from 21:00 into the small hours,
// and the provider stamps those minutes with the calendar day on which they
// run. These functions regroup two days of minutes by trading day so the
// chart shows one trading day with its night session first.
namespace GoldTrend {

struct RawPoint {
    QString dt; // "yyyy-MM-dd HH:mm"
    double close = 0;
    double avg = 0;
    double vol = 0;
    double amt = 0;
};

// The trading day a minute counts to: its own date, or the next calendar day
// from 21:00 on. Nothing when the stamp is empty.
std::optional<QString> tradingDayKey(QStringView dt);

// The hour of a stamp, when it reads as a decimal integer.
std::optional<int> hourOf(QStringView dt);

// The minutes of the latest trading day that had a day session (a minute
// between 09:00 and 14:59), or of the latest trading day when none had one,
// sorted by stamp.
QList<RawPoint> chooseTradingDay(const QList<RawPoint>& points);

// The latest stamp of all the minutes, whichever trading day it counts to;
// empty when there is none.
QString newestStamp(const QList<RawPoint>& points);

} // namespace GoldTrend
