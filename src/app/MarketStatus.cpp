#include "MarketStatus.h"

QString badgeLabel(MarketStatus status)
{
    switch (status) {
    case MarketStatus::trading:
        return QStringLiteral("交易中");
    case MarketStatus::delayed:
        return QStringLiteral("数据延迟");
    case MarketStatus::break_:
        return QStringLiteral("午休");
    case MarketStatus::closed:
        return QStringLiteral("已收盘");
    }
    return QStringLiteral("已收盘");
}

QString statusKey(MarketStatus status)
{
    switch (status) {
    case MarketStatus::trading:
        return QStringLiteral("trading");
    case MarketStatus::delayed:
        return QStringLiteral("delayed");
    case MarketStatus::break_:
        return QStringLiteral("break");
    case MarketStatus::closed:
        return QStringLiteral("closed");
    }
    return QStringLiteral("closed");
}
