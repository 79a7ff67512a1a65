#include "DeadlineQueue.h"

#include <QSocketNotifier>
#include <QTimer>

#ifdef Q_OS_LINUX
#include <sys/timerfd.h>
#include <unistd.h>

#include <ctime>
#endif

DeadlineQueue::DeadlineQueue(QObject* parent) : QObject(parent)
{
#ifdef Q_OS_LINUX
    // std::chrono::steady_clock is CLOCK_MONOTONIC on Linux.
    m_fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd >= 0) {
        m_notifier = new QSocketNotifier(qintptr(m_fd), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &DeadlineQueue::runDue);
        return;
    }
#endif
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &DeadlineQueue::runDue);
}

DeadlineQueue::~DeadlineQueue()
{
#ifdef Q_OS_LINUX
    if (m_fd >= 0) {
        delete m_notifier;
        ::close(m_fd);
    }
#endif
}

void DeadlineQueue::at(Clock::time_point due, std::function<void()> action)
{
    const bool first = m_due.empty() || due < m_due.begin()->first;
    m_due.emplace(due, std::move(action));
    if (first)
        arm();
}

void DeadlineQueue::runDue()
{
#ifdef Q_OS_LINUX
    if (m_fd >= 0) {
        quint64 expirations = 0;
        // Nothing to read is fine: the loop may look twice at one expiry.
        [[maybe_unused]] const auto read = ::read(m_fd, &expirations, sizeof expirations);
    }
#endif
    // An action may queue another; each is taken out before it runs.
    while (!m_due.empty() && m_due.begin()->first <= Clock::now()) {
        auto action = std::move(m_due.begin()->second);
        m_due.erase(m_due.begin());
        action();
    }
    arm();
}

void DeadlineQueue::arm()
{
#ifdef Q_OS_LINUX
    if (m_fd >= 0) {
        itimerspec spec{};
        if (!m_due.empty()) {
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                m_due.begin()->first.time_since_epoch())
                                .count();
            spec.it_value.tv_sec = time_t(ns / 1'000'000'000);
            spec.it_value.tv_nsec = long(ns % 1'000'000'000);
            // All zero would disarm it.
            if (spec.it_value.tv_sec == 0 && spec.it_value.tv_nsec == 0)
                spec.it_value.tv_nsec = 1;
        }
        timerfd_settime(m_fd, TFD_TIMER_ABSTIME, &spec, nullptr);
        return;
    }
#endif
    if (m_due.empty()) {
        m_timer->stop();
        return;
    }
    const auto wait =
        std::chrono::ceil<std::chrono::milliseconds>(m_due.begin()->first - Clock::now());
    m_timer->start(std::max(wait, std::chrono::milliseconds(0)));
}
