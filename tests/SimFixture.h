#pragma once

#include "SimProvider.h"
#include "market/FetchError.h"

#include <QCoroTask>
#include <QEventLoop>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTest>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>

// A simulated provider on loopback for one test class, plus helpers to run a
// coroutine to its end and see how it ended.
class SimFixture {
public:
    explicit SimFixture(quint64 seed = 7) : m_sim(std::make_unique<SimProvider>(seed))
    {
        if (m_sim->listen() == 0)
            qFatal("the simulated provider could not listen on loopback");
    }

    SimProvider& sim() { return *m_sim; }
    const SimProvider& sim() const { return *m_sim; }
    QString origin() const { return m_sim->origin(); }

    // The environment variables the app reads its services' origins from:
    // every service the simulator stands in for.
    static QStringList originVariables()
    {
        return {QStringLiteral("QUOTARA_QUOTE_ORIGIN"),
                QStringLiteral("QUOTARA_FUND_ORIGIN"),
                QStringLiteral("QUOTARA_UPDATE_ORIGIN"),
                QStringLiteral("QUOTARA_GITHUB_API_ORIGIN"),
                QStringLiteral("QUOTARA_FUND_SEARCH_ORIGIN"),
                QStringLiteral("QUOTARA_CODE_SEARCH_ORIGIN")};
    }
    // Sends every request of this process to `origin`; for a simulator that
    // no fixture holds (one on a thread of its own).
    static void pointOriginsAt(const QString& origin)
    {
        for (const QString& variable : originVariables())
            qputenv(variable.toLatin1().constData(), origin.toUtf8());
    }
    // Sends every request of this process to the simulator.
    void pointOrigins() const { pointOriginsAt(origin()); }
    // The same for a process about to be started with `env`.
    void pointOrigins(QProcessEnvironment& env) const
    {
        for (const QString& variable : originVariables())
            env.insert(variable, origin());
    }

    // Between cases: no faults, no latency, the machine's clock and no
    // request recorded, whatever the last case left.
    void reset()
    {
        m_sim->clearFaults();
        m_sim->setLatency(0);
        m_sim->setClock({});
        m_sim->clearRequests();
    }

    // The one request received since the last clear, as "path?query".
    QString onlyRequest() const
    {
        const auto requests = m_sim->requests();
        if (requests.size() != 1)
            return QStringLiteral("<%1 requests>").arg(requests.size());
        return requests.first().path + u'?' + requests.first().query;
    }

private:
    std::unique_ptr<SimProvider> m_sim;
};

// A request time-out for tests whose stalls must end quickly, yet long
// enough for every answer the simulator gives on a busy machine. The
// sanitizer build runs several times slower, so there it is three times as
// long.
inline std::chrono::milliseconds stallTimeout(std::chrono::milliseconds plain)
{
#ifdef QUOTARA_SANITIZED_BUILD
    return plain * 3;
#else
    return plain;
#endif
}

// A list parameter of a recorded request as it went over the wire: split at
// its literal commas, then each entry decoded. A comma inside a code must
// arrive encoded, or the provider reads two entries where one was meant.
inline QStringList sentList(const RecordedRequest& request, const QString& key)
{
    const QString prefix = key + u'=';
    for (const QString& item : request.query.split(u'&')) {
        if (!item.startsWith(prefix))
            continue;
        QStringList entries;
        for (const QString& entry : item.mid(prefix.size()).split(u','))
            entries.append(QUrl::fromPercentEncoding(entry.toLatin1()));
        return entries;
    }
    return {};
}

// How a fetch ended: a value, a FetchError, or the decoder's own error.
template <typename T> struct Outcome {
    std::optional<T> value;
    std::optional<FetchError> error;
    bool decodeError = false;

    QString describe() const
    {
        if (value)
            return QStringLiteral("value");
        if (error)
            return QString::fromUtf8(error->what());
        return decodeError ? QStringLiteral("JSON decode error") : QStringLiteral("nothing");
    }
};

// Runs a task to its end in a nested event loop. QCoro::waitFor is not used:
// in QCoro 0.8 it never returns when the task throws after suspending.
template <typename T> Outcome<T> run(QCoro::Task<T>&& task)
{
    Outcome<T> outcome;
    QEventLoop loop;
    bool done = false;
    auto body = [&](QCoro::Task<T> t) -> QCoro::Task<void> {
        try {
            outcome.value = co_await t;
        } catch (const FetchError& error) {
            outcome.error = error;
        } catch (const JsonDecodeError&) {
            outcome.decodeError = true;
        }
        done = true;
        loop.quit();
    };
    auto runner = body(std::move(task));
    if (!done)
        loop.exec();
    return outcome;
}

// The same for a task without a result (the controller's refreshes, which
// never throw).
inline void run(QCoro::Task<void>&& task)
{
    QEventLoop loop;
    bool done = false;
    auto body = [&](QCoro::Task<void> t) -> QCoro::Task<void> {
        co_await t;
        done = true;
        loop.quit();
    };
    auto runner = body(std::move(task));
    if (!done)
        loop.exec();
}
