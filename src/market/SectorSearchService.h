#pragma once

#include "NetworkClient.h"
#include "SearchFlight.h"

#include <QCoroTask>
#include <QString>

// Finds boards by name, pinyin initials or code through the code search
// service, for the settings' board add form. One search at a time; never
// fails.
class SectorSearchService {
public:
    // The service lists stocks, indices and funds too, best first: a page
    // of this many leaves room for the boards among them.
    static constexpr int pageSize = 20;

    explicit SectorSearchService(QString origin = defaultOrigin(),
                                 std::chrono::milliseconds timeout = NetworkClient::defaultTimeout);

    // The boards matching `text`, best first, at most SearchParser::maxHits.
    // A text not worth sending is `dropped` without a request.
    QCoro::Task<SearchOutcome> search(QString text);
    bool isBusy() const { return m_flight.isBusy(); }

private:
    static QString defaultOrigin();

    QString m_origin;
    std::chrono::milliseconds m_timeout;
    SearchFlight m_flight; // last: its end aborts the search in flight
};
