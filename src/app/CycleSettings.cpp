#include "CycleSettings.h"

#include "market/Log.h"

#include <QElapsedTimer>
#include <QtGlobal>

#include <memory>

namespace CycleSettings {

namespace {

void reportIgnored(const char* variable, const QString& value, const char* why)
{
    qCWarning(quotaraLog, "ignoring %s=%s: %s", variable, qPrintable(value), why);
}

} // namespace

std::optional<std::chrono::milliseconds> parseInterval(const QString& text)
{
    bool ok = false;
    const qlonglong ms = text.trimmed().toLongLong(&ok);
    if (!ok || ms < shortestRefreshInterval.count() || ms > 24LL * 60 * 60 * 1000)
        return std::nullopt;
    return std::chrono::milliseconds(ms);
}

std::optional<QDateTime> parseInstant(const QString& text)
{
    const QDateTime instant = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
    // Without an offset ("Z" or "+08:00") it would name a different instant on
    // every machine.
    if (!instant.isValid() || instant.timeSpec() == Qt::LocalTime)
        return std::nullopt;
    return instant;
}

std::chrono::milliseconds refreshInterval()
{
    const char* variable = "QUOTARA_REFRESH_MS";
    if (!qEnvironmentVariableIsSet(variable))
        return defaultRefreshInterval;
    const QString value = qEnvironmentVariable(variable);
    if (const auto interval = parseInterval(value))
        return *interval;
    reportIgnored(variable, value, "not a whole number of milliseconds from 100");
    return defaultRefreshInterval;
}

std::function<QDateTime()> clock()
{
    const char* variable = "QUOTARA_NOW";
    const auto system = [] { return QDateTime::currentDateTime(); };
    if (!qEnvironmentVariableIsSet(variable))
        return system;
    const QString value = qEnvironmentVariable(variable);
    const auto start = parseInstant(value);
    if (!start) {
        reportIgnored(variable, value, "not an ISO 8601 date and time with an offset");
        return system;
    }
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    return [start = *start, elapsed] { return start.addMSecs(elapsed->elapsed()); };
}

} // namespace CycleSettings
