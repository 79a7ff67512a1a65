#pragma once

#include <QObject>

#include <memory>

// Shared handle through which a caller aborts the requests it started. A
// refresh hands one token to every fetch it starts; on the first failure it
// cancels the token and every request still in flight is aborted.
class CancelToken : public QObject {
    Q_OBJECT
public:
    static std::shared_ptr<CancelToken> create() { return std::make_shared<CancelToken>(); }

    bool isCancelled() const { return m_cancelled; }
    // Idempotent: only the first call announces the cancellation.
    void cancel();

signals:
    void cancelled();

private:
    bool m_cancelled = false;
};

using CancelHandle = std::shared_ptr<CancelToken>;
