#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// One watched board; identified by its code.
struct SectorConfig {
    QString code; // e.g. "BK0475"
    QString name; // e.g. "半导体"
    bool operator==(const SectorConfig&) const = default;
};

// One watched fund; identified by its code.
struct FundConfig {
    QString code; // e.g. "161725"
    QString name;
    bool operator==(const FundConfig&) const = default;
};

// The whole watch list and what the tray figure shows.
struct WatchConfig {
    QList<SectorConfig> sectors;
    QList<FundConfig> funds;
    // Absent: the gold price; otherwise the code of a watched board.
    std::optional<QString> statusBarSource;

    bool operator==(const WatchConfig&) const = default;

    // Three boards and three funds, the gold price in the tray.
    static WatchConfig defaultConfig();

    // The stored form: {"sectors":[{"code":…,"name":…}],"funds":[…],
    // "statusBarSource":…}, compact, the last key left out when absent.
    QByteArray toJson() const;
    // "sectors" and "funds" are required; "statusBarSource" may be missing
    // or null; unknown keys are ignored. Nothing when anything is off.
    static std::optional<WatchConfig> fromJson(const QByteArray& bytes);
};
