#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QUrlQuery>

#include <optional>

#include "RecordedRequest.h"
#include "SimMarket.h"

// Turns a request into the answer the live services would give, shaped the
// way they shape it: Eastmoney quote routes (ulist, clist, trends2), the fund
// mobile API (FundMNFInfo, FundMNInverstPosition) and the two update sources.
// Transport, delays and faults are SimProvider's business.
//
// Choices where the live services leave room:
// - trends2 "preClose" is the close before the first day shown (the base of a
//   multi-day chart); "prePrice" (and, for gold, "preSettlement") is the close
//   before the current day, the same number ulist serves as f18.
// - The funds' missing values come as null, "--" or "", fixed per fund.
// - ulist without fltt=2 sends f2, f3, f4 and f15..f18 as integers scaled by 100.
class SimRoutes {
public:
    struct Answer {
        int status = 200;
        QByteArray body;
        QByteArray contentType = QByteArrayLiteral("application/json; charset=utf-8");
    };

    explicit SimRoutes(const SimMarket& market);

    // Empty when no route serves the path.
    std::optional<Answer> answer(const RecordedRequest& request, const QDateTime& now) const;

    void setVersionRecord(const QByteArray& body) { m_versionRecord = body; }
    void setGithubRelease(const QByteArray& body) { m_githubRelease = body; }
    static QByteArray defaultVersionRecord();
    static QByteArray defaultGithubRelease();

private:
    Answer ulist(const RecordedRequest& request, const QDateTime& now) const;
    Answer clist(const RecordedRequest& request, const QDateTime& now) const;
    Answer trends(const RecordedRequest& request, const QDateTime& now) const;
    Answer fundInfo(const RecordedRequest& request, const QDateTime& now) const;
    Answer fundPositions(const RecordedRequest& request, const QDateTime& now) const;
    QJsonObject quoteRow(const SimMarket::Quote& quote, const QList<int>& fields,
                         bool decimals) const;

    const SimMarket& m_market;
    QByteArray m_versionRecord;
    QByteArray m_githubRelease;
};
