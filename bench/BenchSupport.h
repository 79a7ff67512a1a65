#pragma once

#include <QCoroTask>
#include <QDateTime>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimeZone>

#include <cstdio>
#include <cstdlib>
#include <memory>

// What every benchmark program sets up before it measures anything.
namespace BenchSupport {

inline QDateTime shanghai(int year, int month, int day, int hour, int minute)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), QTimeZone("Asia/Shanghai"));
}

// The preferences of the measured controller live in a scratch folder for the
// life of the program, never in the user's.
inline void useScratchPreferences()
{
    static QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fputs("bench: cannot create a scratch folder\n", stderr);
        std::exit(1);
    }
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
}

// Runs a task that never throws to its end in a nested event loop.
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

} // namespace BenchSupport
