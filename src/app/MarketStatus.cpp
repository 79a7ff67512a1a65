#include "MarketStatus.h"

bool isDayOff(Closure closure)
{
    return closure == Closure::holiday || closure == Closure::makeUpDay ||
           closure == Closure::detected;
}

QString badgeLabel(MarketStatus status, Closure closure)
{
    switch (status) {
    case MarketStatus::trading:
        return QStringLiteral("交易中");
    case MarketStatus::delayed:
        return QStringLiteral("数据延迟");
    case MarketStatus::break_:
        return QStringLiteral("午休");
    case MarketStatus::closed:
        break;
    }
    return isDayOff(closure) ? QStringLiteral("休市") : QStringLiteral("已收盘");
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

QString closureKey(Closure closure)
{
    switch (closure) {
    case Closure::none:
        return {};
    case Closure::hours:
        return QStringLiteral("hours");
    case Closure::weekend:
        return QStringLiteral("weekend");
    case Closure::holiday:
        return QStringLiteral("holiday");
    case Closure::makeUpDay:
        return QStringLiteral("makeUpDay");
    case Closure::detected:
        return QStringLiteral("detected");
    }
    return {};
}
