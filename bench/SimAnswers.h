#pragma once

#include "SimMarket.h"
#include "SimRoutes.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Answers of the simulated provider's routes, taken without a server: the
// bodies the app would receive, as realistic input for its readers.
class SimAnswers {
public:
    explicit SimAnswers(quint64 seed = 1) : m_market(seed), m_routes(m_market) {}

    // The body served for "path?query" at `now`; empty when nothing serves it.
    QByteArray body(const QString& path, const QString& query, const QDateTime& now) const
    {
        RecordedRequest request;
        request.method = QByteArrayLiteral("GET");
        request.path = path;
        request.query = query;
        request.headers = {
            {QByteArrayLiteral("Referer"), QByteArrayLiteral("https://quote.eastmoney.com/")}};
        const auto answer = m_routes.answer(request, now);
        return answer && answer->status == 200 ? answer->body : QByteArray();
    }

    // The trend route as SectorService asks it.
    QByteArray trend(const QString& secid, int days, const QDateTime& now) const
    {
        return body(QStringLiteral("/api/qt/stock/trends2/get"),
                    QStringLiteral("secid=") + secid +
                        QStringLiteral("&fields1=f1,f2,f3,f4,f5,f6,f7,f8,f9,f10,f11,f12,f13"
                                       "&fields2=f51,f52,f53,f54,f55,f56,f57,f58&iscr=0&ndays=") +
                        QString::number(days),
                    now);
    }

    // A board's constituents by turnover, as SectorService asks for them.
    QByteArray boardStocks(const QString& board, int count, const QDateTime& now) const
    {
        return body(QStringLiteral("/api/qt/clist/get"),
                    QStringLiteral("pn=1&pz=%1&po=1&np=1&fltt=2&invt=2&fid=f6&fs=b:%2"
                                   "&fields=f2,f3,f6,f12,f14")
                        .arg(count)
                        .arg(board),
                    now);
    }

private:
    SimMarket m_market;
    SimRoutes m_routes;
};
