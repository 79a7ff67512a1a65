#include "CancelToken.h"

void CancelToken::cancel()
{
    if (m_cancelled)
        return;
    m_cancelled = true;
    emit cancelled();
}
