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
};

struct SectorQuote {
    QString code;
    QString name;
    double index = 0;
    double changePct = 0;
    double prevIndex = 0;
    double amount = 0;
};

struct StockQuote {
    QString code;
    QString name;
    double price = 0;
    double changePct = 0;
    double amount = 0;
};

struct TrendPoint {
    QString time; // "yyyy-MM-dd HH:mm" exactly as delivered
    double price = 0;
    double avgPrice = 0;
    double volume = 0;
    double amount = 0;
};

struct TrendData {
    QString name;
    double preClose = 0;
    QList<TrendPoint> points;
};

struct FundQuote {
    QString code;
    QString name;
    double nav = 0;
    double navChangePct = 0;
    QString navDate;
};

struct FundHolding {
    QString code;
    QString name;
    double weight = 0;
    int exchange = 0;
};

struct FundDetail {
    FundQuote quote;
    QList<FundHolding> holdings;
    std::optional<double> estNav;
    std::optional<double> estChangePct;
};
