#pragma once

#include <QObject>

#include <initializer_list>
#include <memory>

// Shared handle through which a caller aborts the requests it started. A
// refresh hands one token to every fetch it starts; on the first failure it
// cancels the token and every request still in flight is aborted.
class CancelToken : public QObject {
    Q_OBJECT
public:
    static std::shared_ptr<CancelToken> create() { return std::make_shared<CancelToken>(); }
    // A token cancelled as soon as any of `parents` is (at once when one
    // already is); empty handles are skipped.
    static std::shared_ptr<CancelToken>
    linked(std::initializer_list<std::shared_ptr<CancelToken>> parents);

    bool isCancelled() const { return m_cancelled; }
    // Idempotent: only the first call announces the cancellation.
    void cancel();

signals:
    void cancelled();

private:
    bool m_cancelled = false;
};

using CancelHandle = std::shared_ptr<CancelToken>;

// Held by every object that starts requests, as its last member so that it
// goes first: its end aborts whatever the owner still has in flight. An
// aborted reply resumes its coroutine at once, so each one runs to its end
// and frees its frame while the owner's other members are still there; a
// request left waiting would otherwise keep its frame for ever, or resume
// into an owner that is gone.
class RequestScope {
public:
    RequestScope() = default;
    RequestScope(const RequestScope&) = delete;
    RequestScope& operator=(const RequestScope&) = delete;
    ~RequestScope() { m_token->cancel(); }

    // A handle that is cancelled by the end of this scope or by `caller`.
    CancelHandle handle(const CancelHandle& caller = {}) const
    {
        return caller ? CancelToken::linked({m_token, caller}) : m_token;
    }
    bool isOver() const { return m_token->isCancelled(); }

private:
    CancelHandle m_token = CancelToken::create();
};
