#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include "SimCalendar.h"

// The fixed universe the simulator serves: instruments, boards and funds with
// their codes, names and weights. It does not depend on the market seed, so a
// client test can name "1.600519" or "90.BK0475" without asking the model; the
// seed only drives prices, volumes, suspensions and fund values (SimMarket).
class SimCatalog {
public:
    enum class Kind { Stock, Board, Futures };

    struct Instrument {
        Kind kind = Kind::Stock;
        int market = 0; // 0 Shenzhen, 1 Shanghai, 90 board, 113 SHFE, 116 Hong Kong
        QString code;
        QString name;
        QString pinyin;        // the name's pinyin initials, as the search services index it
        QString industry;      // name of the stock's first board, or a sector for others
        QString industryCode;  // that board's code
        double basePrice = 0;  // stocks and futures: the level prices wander around
        double turnover = 0;   // typical daily turnover, CNY (HKD for Hong Kong)
        int lotSize = 100;     // units in one volume lot
        QString secid() const; // "1.600519"
        SimCalendar::Session session() const;
    };

    struct Member {
        int instrument = -1;
        double weight = 0;
    };

    // A board's index is level * sum(w * price / basePrice) / sum(w), so its
    // move is the weighted average of its constituents' moves.
    struct Board {
        int instrument = -1;
        QString type; // what the code search calls it: 行业, 概念 or just 板块
        double level = 0;
        QList<Member> members;
    };

    struct Holding {
        int instrument = -1;
        double weight = 0; // percent of net asset value
    };

    struct Fund {
        QString code;
        QString name;
        QString pinyin; // the name's pinyin initials
        QString type;
        double baseNav = 1;            // net value on the model's anchor day
        double accumulatedGap = 0;     // accumulated value minus net value (past dividends)
        bool listed = false;           // LOF: also trades on the exchange
        bool launchedRecently = false; // no published daily change yet
        QList<Holding> holdings;
    };

    static const SimCatalog& instance();

    const QList<Instrument>& instruments() const { return m_instruments; }
    const QList<Board>& boards() const { return m_boards; }
    const QList<Fund>& funds() const { return m_funds; }

    int indexOfSecid(const QString& secid) const; // -1 when unknown
    int gold() const { return m_gold; }
    const Board* board(const QString& code) const;
    const Board* boardOf(int instrument) const; // the board an index instrument stands for
    const Fund* fund(const QString& code) const;

private:
    SimCatalog();
    int addInstrument(Instrument instrument);

    QList<Instrument> m_instruments;
    QList<Board> m_boards;
    QList<Fund> m_funds;
    QHash<QString, int> m_bySecid;
    QHash<QString, int> m_boardByCode;
    QHash<int, int> m_boardByInstrument;
    int m_gold = -1;
};
