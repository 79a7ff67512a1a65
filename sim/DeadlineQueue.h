#pragma once

#include <QObject>

#include <chrono>
#include <functional>
#include <map>

class QSocketNotifier;
class QTimer;

// Runs actions at given moments of the steady clock, on the owner's thread,
// through its event loop. Qt's timers count whole milliseconds and the event
// loop rounds its wait up: an answer held back L ms that way left about half
// a millisecond late, once for every round trip of a chain. On Linux a
// timerfd wakes the loop at the moment itself; elsewhere a precise timer,
// never early, stands in.
class DeadlineQueue : public QObject {
public:
    using Clock = std::chrono::steady_clock;

    explicit DeadlineQueue(QObject* parent = nullptr);
    ~DeadlineQueue() override;

    void at(Clock::time_point due, std::function<void()> action);

private:
    void runDue();
    void arm();

    std::multimap<Clock::time_point, std::function<void()>> m_due;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_timer = nullptr;
};
