#pragma once

#include "config/AlertConfig.h"
#include "config/WatchConfig.h"

// The two values the storm writer alternates between.
namespace StormValues {

inline WatchConfig watchA()
{
    return WatchConfig::defaultConfig();
}

inline WatchConfig watchB()
{
    WatchConfig config = WatchConfig::defaultConfig();
    config.sectors.append({QStringLiteral("BK0800"), QStringLiteral("人工智能")});
    config.funds.removeFirst();
    config.statusBarSource = QStringLiteral("BK0800");
    return config;
}

inline QList<AlertRule> rulesA()
{
    return AlertConfig::defaultRules();
}

inline QList<AlertRule> rulesB()
{
    QList<AlertRule> rules = AlertConfig::defaultRules().mid(0, 3);
    rules[1].enabled = false;
    rules[2].markTriggered(QDateTime::fromSecsSinceEpoch(1'780'000'000));
    return rules;
}

} // namespace StormValues
