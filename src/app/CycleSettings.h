#pragma once

#include <QDateTime>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

// The refresh cycle's two deployment values, overridable from the
// environment like the origins, so that tests and demos against the
// simulated provider need not wait 30 s for a cycle or for a market to open.
namespace CycleSettings {

inline constexpr std::chrono::milliseconds defaultRefreshInterval{30'000};
// Shorter intervals would hammer the provider to no one's benefit.
inline constexpr std::chrono::milliseconds shortestRefreshInterval{100};

// QUOTARA_REFRESH_MS: the refresh timer's interval in milliseconds.
std::chrono::milliseconds refreshInterval();
// QUOTARA_NOW: an ISO 8601 instant with its offset ("2024-06-04T10:00:00+08:00")
// at which the clock starts; it runs on from there at the real pace.
// Without it, the system clock.
std::function<QDateTime()> clock();

// What the variables may hold; nothing for a value that is refused.
std::optional<std::chrono::milliseconds> parseInterval(const QString& text);
std::optional<QDateTime> parseInstant(const QString& text);

} // namespace CycleSettings
