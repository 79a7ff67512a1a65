#pragma once

#include "CancelToken.h"
#include "SearchParser.h"

#include <QCoroTask>
#include <QJsonObject>
#include <QUrl>

#include <chrono>

// One search at a time against one service. A search that starts while
// another is on its way aborts it: that answer belongs to a text the user
// has typed past, and a second request in flight would only add load on a
// service that throttles heavy clients.
class SearchFlight {
public:
    using Reader = QList<SearchHit> (*)(const QJsonObject&);

    // Whether a typed text is worth a request: not empty, and more than one
    // Latin letter or digit (a single one matches most of the market). One
    // Han character names enough to search for.
    static bool isWorthSending(const QString& text);

    // Fetches `url` and reads the answer with `read`. Never throws: a failed
    // request is `failed`, an aborted one `dropped`.
    QCoro::Task<SearchOutcome> fetch(QUrl url, QString ua, QString referer,
                                     std::chrono::milliseconds timeout, Reader read);

    bool isBusy() const { return m_current != nullptr; }

private:
    CancelHandle m_current; // the search in flight
    RequestScope m_scope;
};
