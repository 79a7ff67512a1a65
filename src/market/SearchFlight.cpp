#include "SearchFlight.h"

#include "NetworkClient.h"

bool SearchFlight::isWorthSending(const QString& text)
{
    if (text.isEmpty())
        return false;
    if (text.size() > 1)
        return true;
    const QChar c = text.front();
    return c.script() != QChar::Script_Latin && c.script() != QChar::Script_Common;
}

QCoro::Task<SearchOutcome> SearchFlight::fetch(QUrl url, QString ua, QString referer,
                                               std::chrono::milliseconds timeout, Reader read)
{
    // The aborted search ends at once, before this one is sent.
    if (m_current)
        m_current->cancel();
    const CancelHandle mine = m_scope.handle(CancelToken::create());
    m_current = mine;
    QJsonObject json;
    bool failed = false;
    try {
        json = co_await NetworkClient::getJSON(url, ua, referer, timeout, mine);
    } catch (...) {
        failed = true;
    }
    // Cancelled: a newer search took over, or the owner is going away and
    // nothing here may be touched but this frame.
    if (mine->isCancelled())
        co_return SearchOutcome::dropped();
    m_current.reset();
    if (failed)
        co_return SearchOutcome::failed();
    co_return SearchOutcome::found(read(json));
}
