#include "CancelToken.h"

CancelHandle CancelToken::linked(std::initializer_list<CancelHandle> parents)
{
    auto token = create();
    for (const CancelHandle& parent : parents) {
        if (!parent)
            continue;
        if (parent->isCancelled())
            token->cancel();
        else
            connect(parent.get(), &CancelToken::cancelled, token.get(), &CancelToken::cancel);
    }
    return token;
}

void CancelToken::cancel()
{
    if (m_cancelled)
        return;
    m_cancelled = true;
    emit cancelled();
}
