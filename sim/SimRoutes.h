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
// mobile API (FundMNFInfo, FundMNInverstPosition), the fund search and the
// code search, and the two update sources.
// Transport, delays and faults are SimProvider's business.
//
// Choices where the live services leave room:
// - trends2 "preClose" is the close before the first day shown (the base of a
//   multi-day chart); "prePrice" (and, for gold, "preSettlement") is the close
//   before the current day, the same number ulist serves as f18.
// - The funds' missing values come as null, "--" or "", fixed per fund.
// - ulist without fltt=2 sends f2, f3, f4 and f15..f18 as integers scaled by 100.
// - Both searches match a code, a name or its pinyin initials, codes before
//   names before initials and prefixes before inner matches, catalogue order
//   within a rank; stocks come mixed in with what the client looks for (and
//   funds and gold with the code search's boards). The fund search sends a
//   fund's DWJZ as a number or as a text, fixed per fund, and "Datas":null or
//   [] for no match (null unless the key is all digits); the code search
//   sends every other entry's market as a text, no pinyin for Hong Kong
//   stocks, and "result":null for no match.
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
    Answer fundSearch(const RecordedRequest& request, const QDateTime& now) const;
    Answer codeSearch(const RecordedRequest& request) const;
    QJsonObject quoteRow(const SimMarket::Quote& quote, const QList<int>& fields,
                         bool decimals) const;

    const SimMarket& m_market;
    QByteArray m_versionRecord;
    QByteArray m_githubRelease;
};
