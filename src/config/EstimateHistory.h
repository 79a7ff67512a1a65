#pragma once

#include "Preferences.h"
#include "market/EstimateLog.h"

#include <QMap>
#include <QStringList>

// Each watched fund's recent estimates and how they turned out (the rules are
// EstimateLog's), loaded once from the preferences store and written back at
// most every five minutes while it changes, and when it goes.
//
// Stored form, compact JSON under "com.orlenby.quotara.EstimateHistory":
//
//   {"v":1,"funds":{"161725":[["2024-06-03","2024-06-03T15:30:00+08:00",1.038,0.8207,1],
//                             ["2024-06-04","2024-06-04T14:59:30+08:00",0.2826,0.8227]]}}
//
// One array per fund code, oldest day first, at most EstimateLog::keptDays
// days, each day being [trading day, when the estimate was made (ISO 8601,
// Shanghai time), estimated change in percent, estimated value, published
// change in percent]; the last element is there only once the day's value is
// out, and the day's error is then published minus estimated change. Numbers
// are written unrounded. Anything else (another version, a malformed day,
// days out of order) makes the whole record unreadable: it is ignored and the
// record starts afresh, and the unreadable bytes are copied to the same key
// followed by ".unreadable" before the first write replaces them.
class EstimateHistory {
public:
    static inline const QString key = QStringLiteral("com.orlenby.quotara.EstimateHistory");
    using Record = QMap<QString, QList<EstimateDay>>; // fund code → days, oldest first

    static constexpr qint64 writeEverySecs = 5 * 60;

    EstimateHistory();
    // Writes what is not written yet.
    ~EstimateHistory();
    EstimateHistory(const EstimateHistory&) = delete;
    EstimateHistory& operator=(const EstimateHistory&) = delete;

    const Record& record() const { return m_record; }
    // The fund's days, oldest first; empty when it has none.
    QList<EstimateDay> days(const QString& fund) const { return m_record.value(fund); }

    // One successful fund refresh: notes every fetched fund (EstimateLog::note)
    // and forgets the funds no longer watched. A change is written at once
    // when nothing was written in the last writeEverySecs, else later.
    void note(const QList<FundDetail>& funds, const QStringList& watched, const QDateTime& now,
              const TradingCalendar& calendar);
    // Writes a change not written yet.
    void flush();

    // Nothing when a number cannot be written (NaN, infinity).
    static std::optional<QByteArray> encode(const Record& record);
    static std::optional<Record> decode(const QByteArray& bytes);

private:
    Preferences m_preferences;
    Record m_record;
    // Bytes that could not be read at start; kept aside before the first write.
    std::optional<QByteArray> m_unreadable;
    // While a market trades the estimates move with every refresh; writing
    // each would rewrite the settings file every 30 s.
    std::optional<QDateTime> m_lastWrite;
    bool m_unwritten = false;
};
