#pragma once

#include "NetworkClient.h"
#include "SearchFlight.h"

#include <QCoroTask>
#include <QString>

// Finds funds by name, pinyin initials or code through the fund search
// service, for the settings' fund add form. One search at a time; never fails.
class FundSearchService {
public:
    // The search is a service of the fund web site, which its pages call.
    static constexpr QStringView referer = u"https://fund.eastmoney.com/";

    explicit FundSearchService(QString origin = defaultOrigin(),
                               std::chrono::milliseconds timeout = NetworkClient::defaultTimeout);

    // The funds matching `text`, best first, at most SearchParser::maxHits.
    // A text not worth sending is `dropped` without a request.
    QCoro::Task<SearchOutcome> search(QString text);
    bool isBusy() const { return m_flight.isBusy(); }

private:
    static QString defaultOrigin();

    QString m_origin;
    std::chrono::milliseconds m_timeout;
    SearchFlight m_flight; // last: its end aborts the search in flight
};
