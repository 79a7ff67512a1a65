#pragma once

#include <QList>
#include <QString>

#include <optional>

// Plain value records rebuilt on every refresh and never stored. Every
// percentage field is in percent units: 0.52 means +0.52 %.

struct GoldQuote {
    double priceCNY = 0;
    double prevCNY = 0;
    double highCNY = 0;
    double lowCNY = 0;
    double changePct = 0;
    QString time; // local "HH:mm:ss" of parsing
    QString date; // local "yyyy-MM-dd" of parsing

    bool operator==(const GoldQuote&) const = default;
};

// A figure the quote provider does not have comes as a placeholder ("-");
// it is absent here, never 0: a 0 would show as a price and fire or re-arm
// alerts that the market never reached.
struct SectorQuote {
    QString code;
    QString name;
    std::optional<double> index;
    std::optional<double> changePct;
    std::optional<double> prevIndex;
    std::optional<double> amount;

    bool operator==(const SectorQuote&) const = default;
};

struct StockQuote {
    QString code;
    QString name;
    std::optional<double> price;
    std::optional<double> changePct;
    std::optional<double> amount;

    bool operator==(const StockQuote&) const = default;
};

struct TrendPoint {
    QString time; // "yyyy-MM-dd HH:mm" exactly as delivered
    double price = 0;
    double avgPrice = 0;
    double volume = 0;
    double amount = 0;

    bool operator==(const TrendPoint&) const = default;
};

struct TrendData {
    QString name;
    double preClose = 0;
    QList<TrendPoint> points;
    // The newest minute of the whole answer, when it is not the last of
    // `points`: during a night session gold's chart still shows the last day
    // with a day session, while the night's minutes are what tell whether
    // the market is live.
    QString newestTime;

    bool operator==(const TrendData&) const = default;
};

struct FundQuote {
    QString code;
    QString name;
    double nav = 0;
    double navChangePct = 0;
    QString navDate;
    // The provider gave no change for navDate (a fund too new to have one):
    // navChangePct then reads 0, which must not be taken for a flat day.
    bool navChangeMissing = false;

    // The published change, absent when the provider gave none.
    std::optional<double> navChange() const
    {
        return navChangeMissing ? std::nullopt : std::optional<double>(navChangePct);
    }

    bool operator==(const FundQuote&) const = default;
};

struct FundHolding {
    QString code;
    QString name;
    double weight = 0;
    int exchange = 0;

    bool operator==(const FundHolding&) const = default;
};

struct FundDetail {
    FundQuote quote;
    QList<FundHolding> holdings;
    std::optional<double> estNav;
    std::optional<double> estChangePct;
    // The published value is already that of the day whose changes the
    // quote service reports (the evening after publication, the weekend, the
    // morning before the auction): those changes are in it, so no estimate
    // is made on top of it.
    bool navIsCurrent = false;

    bool operator==(const FundDetail&) const = default;
};
