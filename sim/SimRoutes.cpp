#include "SimRoutes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int kSvr = 181669434;

QByteArray toJson(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// The quote services wrap every payload the same way; the extra keys mean
// nothing to a client but are always there.
QJsonObject envelope(int rt, const QJsonValue& data)
{
    return QJsonObject{{u"rc"_s, 0},   {u"rt"_s, rt},        {u"svr"_s, kSvr}, {u"lt"_s, 1},
                       {u"full"_s, 1}, {u"dlmkts"_s, u""_s}, {u"data"_s, data}};
}

QList<int> parseFields(const QString& text, const QList<int>& fallback)
{
    if (text.isEmpty())
        return fallback;
    QList<int> out;
    for (const QString& token : text.split(u',', Qt::SkipEmptyParts)) {
        const QString t = token.trimmed();
        bool ok = false;
        const int n = t.startsWith(u'f') ? t.mid(1).toInt(&ok) : 0;
        if (ok)
            out.append(n);
    }
    return out;
}

int intItem(const RecordedRequest& request, const QString& key, int fallback)
{
    bool ok = false;
    const int v = request.queryItem(key).toInt(&ok);
    return ok ? v : fallback;
}

bool isPriceField(int f)
{
    return f == 2 || f == 3 || f == 4 || f == 15 || f == 16 || f == 17 || f == 18;
}

// The value a field sorts by, empty when the stock shows "-" there.
std::optional<double> sortValue(const SimMarket::Quote& q, int f)
{
    if (f == 18)
        return q.preClose;
    if (!q.traded)
        return std::nullopt;
    switch (f) {
    case 2:
        return q.price;
    case 3:
        return q.changePercent();
    case 4:
        return q.change();
    case 5:
        return double(q.volume);
    case 6:
        return q.turnover;
    case 15:
        return q.high;
    case 16:
        return q.low;
    case 17:
        return q.open;
    default:
        return std::nullopt;
    }
}

QString fixed(double v, int decimals)
{
    return QString::number(v, 'f', decimals);
}

QString stamp(qint64 key)
{
    return SimCalendar::formatKey(key);
}

qint64 numericStamp(qint64 key)
{
    const QDate d = SimCalendar::keyDate(key);
    const int m = SimCalendar::keyMinute(key);
    return ((qint64(d.year()) * 100 + d.month()) * 100 + d.day()) * 10000 + (m / 60) * 100 + m % 60;
}

QString beticks(SimCalendar::Session session)
{
    switch (session) {
    case SimCalendar::Session::AShare:
        return u"33300|34200|54000|34200|41400|46800|54000"_s;
    case SimCalendar::Session::HongKong:
        return u"33300|34200|57600|34200|43200|46800|57600"_s;
    case SimCalendar::Session::ShanghaiGold:
        return u"75600|75600|54000|75600|9000|32400|36900|37800|41400|48600|54000"_s;
    }
    return {};
}

QJsonObject fundError(int code, const QString& message)
{
    return QJsonObject{{u"Datas"_s, QJsonValue::Null}, {u"ErrCode"_s, code},
                       {u"ErrMsg"_s, message},         {u"Success"_s, false},
                       {u"TotalCount"_s, 0},           {u"Expansion"_s, QJsonValue::Null}};
}

// The fund service refuses callers that do not say where they come from.
std::optional<SimRoutes::Answer> refuseWithoutReferer(const RecordedRequest& request)
{
    if (!request.header(QByteArrayLiteral("Referer")).trimmed().isEmpty())
        return std::nullopt;
    SimRoutes::Answer a;
    a.body = toJson(fundError(61101, u"非法请求：缺少来源"_s));
    return a;
}

QString exchangeOf(const SimCatalog::Instrument& stock)
{
    if (stock.market == 116)
        return u"5"_s;
    return stock.market == 1 ? u"1"_s : u"2"_s;
}

// How well a search key matches an entry, lower first; empty for no match.
std::optional<int> searchRank(const QString& key, const QString& code, const QString& name,
                              const QString& pinyin)
{
    if (key.isEmpty())
        return std::nullopt;
    const QString upper = key.toUpper();
    if (code.compare(key, Qt::CaseInsensitive) == 0)
        return 0;
    if (code.startsWith(key, Qt::CaseInsensitive))
        return 1;
    if (name.startsWith(key, Qt::CaseInsensitive))
        return 2;
    if (pinyin.startsWith(upper))
        return 3;
    if (name.contains(key, Qt::CaseInsensitive))
        return 4;
    if (pinyin.contains(upper))
        return 5;
    if (code.contains(key, Qt::CaseInsensitive))
        return 6;
    return std::nullopt;
}

struct SearchEntry {
    int rank = 0;
    int order = 0; // catalogue order, within a rank
    QJsonObject row;
};

// The rows of the best matches first, `from` of them skipped, at most `count`.
QJsonArray bestFirst(QList<SearchEntry> entries, qsizetype from, qsizetype count)
{
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.rank != b.rank ? a.rank < b.rank : a.order < b.order;
    });
    QJsonArray rows;
    for (qsizetype i = from; i < entries.size() && rows.size() < count; ++i)
        rows.append(entries.at(i).row);
    return rows;
}

// What the search services call a listed stock.
QString stockTypeName(const SimCatalog::Instrument& stock)
{
    if (stock.market == 116)
        return u"港股"_s;
    return stock.market == 1 ? u"沪A"_s : u"深A"_s;
}

QString versionString()
{
#ifdef QUOTARA_VERSION
    return QStringLiteral(QUOTARA_VERSION);
#else
    return u"0.1.0"_s;
#endif
}

} // namespace

SimRoutes::SimRoutes(const SimMarket& market)
    : m_market(market), m_versionRecord(defaultVersionRecord()),
      m_githubRelease(defaultGithubRelease())
{}

std::optional<SimRoutes::Answer> SimRoutes::answer(const RecordedRequest& request,
                                                   const QDateTime& now) const
{
    const QString& path = request.path;
    if (path == u"/api/qt/ulist.np/get")
        return ulist(request, now);
    if (path == u"/api/qt/clist/get")
        return clist(request, now);
    if (path == u"/api/qt/stock/trends2/get")
        return trends(request, now);
    if (path == u"/FundMNewApi/FundMNFInfo")
        return fundInfo(request, now);
    if (path == u"/FundMNewApi/FundMNInverstPosition")
        return fundPositions(request, now);
    if (path == u"/FundSearch/api/FundSearchAPI.ashx")
        return fundSearch(request, now);
    if (path == u"/codetable/search/web")
        return codeSearch(request);
    if (path == u"/works/downloads/version.json")
        return Answer{200, m_versionRecord};
    if (path == u"/repos/kestrin-orlenby/quotara/releases/latest")
        return Answer{200, m_githubRelease};
    return std::nullopt;
}

QJsonObject SimRoutes::quoteRow(const SimMarket::Quote& q, const QList<int>& fields,
                                bool decimals) const
{
    const auto& info = m_market.catalog().instruments().at(q.instrument);
    QJsonObject row;
    for (int f : fields) {
        QJsonValue v = u"-"_s;
        switch (f) {
        case 1:
        case 152:
            v = 2;
            break;
        case 12:
            v = info.code;
            break;
        case 13:
            v = info.market;
            break;
        case 14:
            v = q.name;
            break;
        case 5:
            if (q.traded)
                v = double(q.volume);
            break;
        case 6:
            if (q.traded)
                v = q.turnover;
            break;
        default:
            if (isPriceField(f)) {
                if (const auto value = sortValue(q, f)) {
                    // Without fltt=2 the service sends prices as integers, scaled by 100.
                    v = decimals ? QJsonValue(*value)
                                 : QJsonValue(qint64(std::llround(*value * 100.0)));
                }
            }
            break;
        }
        row.insert(u"f"_s + QString::number(f), v);
    }
    return row;
}

SimRoutes::Answer SimRoutes::ulist(const RecordedRequest& request, const QDateTime& now) const
{
    static const QList<int> kAllFields{2, 3, 4, 5, 6, 12, 13, 14, 15, 16, 17, 18};
    const QList<int> fields = parseFields(request.queryItem(u"fields"_s), kAllFields);
    const bool decimals = request.queryItem(u"fltt"_s) == u"2";
    QJsonArray diff;
    for (const QString& secid : request.queryItem(u"secids"_s).split(u',', Qt::SkipEmptyParts)) {
        const int instrument = m_market.catalog().indexOfSecid(secid.trimmed());
        if (instrument >= 0)
            diff.append(quoteRow(m_market.quote(instrument, now), fields, decimals));
    }
    const QJsonValue data = diff.isEmpty()
                                ? QJsonValue(QJsonValue::Null)
                                : QJsonObject{{u"total"_s, diff.size()}, {u"diff"_s, diff}};
    return Answer{200, toJson(envelope(11, data))};
}

SimRoutes::Answer SimRoutes::clist(const RecordedRequest& request, const QDateTime& now) const
{
    static const QRegularExpression kBoardFilter(u"(?:^|\\+)b:(BK\\d{4})"_s);
    const auto match = kBoardFilter.match(request.queryItem(u"fs"_s));
    const SimCatalog::Board* board =
        match.hasMatch() ? m_market.catalog().board(match.captured(1)) : nullptr;
    if (!board)
        return Answer{200, toJson(envelope(6, QJsonValue::Null))};

    static const QList<int> kDefaultFields{2, 3, 4, 12, 14};
    const QList<int> fields = parseFields(request.queryItem(u"fields"_s), kDefaultFields);
    const bool decimals = request.queryItem(u"fltt"_s) == u"2";
    const QString fidText = request.queryItem(u"fid"_s);
    const int fid = fidText.startsWith(u'f') ? fidText.mid(1).toInt() : 3;
    const bool descending = intItem(request, u"po"_s, 1) != 0;
    const int page = std::max(1, intItem(request, u"pn"_s, 1));
    const int size = std::clamp(intItem(request, u"pz"_s, 20), 1, 10000);

    struct Ranked {
        SimMarket::Quote quote;
        bool listed = false; // false: "-" in the sort field
        double key = 0;
    };
    QList<Ranked> ranked;
    for (const auto& m : board->members) {
        Ranked r{m_market.quote(m.instrument, now)};
        if (const auto v = sortValue(r.quote, fid); v && fid != 12) {
            r.listed = true;
            r.key = *v;
        }
        ranked.append(r);
    }
    const auto& instruments = m_market.catalog().instruments();
    // Rows with "-" in the sort field go last either way, as on the live list.
    std::sort(ranked.begin(), ranked.end(), [&](const Ranked& a, const Ranked& b) {
        if (a.listed != b.listed)
            return a.listed;
        if (a.key != b.key)
            return descending ? a.key > b.key : a.key < b.key;
        const QString& ca = instruments.at(a.quote.instrument).code;
        const QString& cb = instruments.at(b.quote.instrument).code;
        return fid == 12 && descending ? ca > cb : ca < cb;
    });

    QJsonArray rows;
    for (qsizetype i = qsizetype(page - 1) * size; i < ranked.size() && rows.size() < size; ++i)
        rows.append(quoteRow(ranked.at(i).quote, fields, decimals));
    QJsonValue diff = rows;
    if (request.queryItem(u"np"_s) != u"1") {
        // Without np=1 the list comes as an object keyed by position.
        QJsonObject keyed;
        for (qsizetype i = 0; i < rows.size(); ++i)
            keyed.insert(QString::number(i), rows.at(i));
        diff = keyed;
    }
    const QJsonObject data{{u"total"_s, board->members.size()}, {u"diff"_s, diff}};
    return Answer{200, toJson(envelope(6, data))};
}

SimRoutes::Answer SimRoutes::trends(const RecordedRequest& request, const QDateTime& now) const
{
    const int instrument = m_market.catalog().indexOfSecid(request.queryItem(u"secid"_s));
    if (instrument < 0)
        return Answer{200, toJson(envelope(10, QJsonValue::Null))};
    const auto& info = m_market.catalog().instruments().at(instrument);
    const SimMarket::Trend t = m_market.trend(instrument, now, intItem(request, u"ndays"_s, 1));

    static const QList<int> kAllColumns{51, 52, 53, 54, 55, 56, 57, 58};
    QList<int> columns;
    for (int c : parseFields(request.queryItem(u"fields2"_s), kAllColumns)) {
        if (c >= 51 && c <= 58)
            columns.append(c);
    }
    QJsonArray lines;
    QStringList cells;
    for (const SimMarket::Bar& bar : t.bars) {
        cells.clear();
        for (int c : std::as_const(columns)) {
            switch (c) {
            case 51:
                cells.append(stamp(bar.stamp));
                break;
            case 52:
                cells.append(fixed(bar.open, 2));
                break;
            case 53:
                cells.append(fixed(bar.close, 2));
                break;
            case 54:
                cells.append(fixed(bar.high, 2));
                break;
            case 55:
                cells.append(fixed(bar.low, 2));
                break;
            case 56:
                cells.append(QString::number(bar.volume));
                break;
            case 57:
                cells.append(fixed(bar.turnover, 2));
                break;
            case 58:
                cells.append(fixed(bar.average, 3));
                break;
            }
        }
        lines.append(cells.join(u','));
    }

    int total = 0;
    for (const QDate& d : t.days)
        total += int(m_market.calendar().stamps(info.session(), d).size());
    QJsonArray periods;
    for (const auto& [begin, end] : m_market.calendar().periods(info.session(), t.days.constLast()))
        periods.append(QJsonObject{{u"b"_s, numericStamp(begin)}, {u"e"_s, numericStamp(end)}});

    const bool futures = info.kind == SimCatalog::Kind::Futures;
    const int type = futures ? 7 : info.kind == SimCatalog::Kind::Board ? 3 : 2;
    const QJsonObject data{
        {u"code"_s, info.code},
        {u"market"_s, info.market},
        {u"type"_s, type},
        {u"status"_s, 0},
        {u"name"_s, t.name},
        {u"decimal"_s, 2},
        {u"preSettlement"_s, futures ? t.lastPreClose : 0.0},
        {u"preClose"_s, t.preClose},
        {u"beticks"_s, beticks(info.session())},
        {u"trendsTotal"_s, total},
        {u"time"_s, now.toSecsSinceEpoch()},
        {u"kind"_s, 1},
        {u"prePrice"_s, t.lastPreClose},
        {u"tradePeriods"_s, QJsonObject{{u"pre"_s, QJsonValue::Null},
                                        {u"after"_s, QJsonValue::Null},
                                        {u"periods"_s, periods}}},
        {u"trends"_s, lines},
    };
    return Answer{200, toJson(envelope(10, data))};
}

SimRoutes::Answer SimRoutes::fundInfo(const RecordedRequest& request, const QDateTime& now) const
{
    if (auto refused = refuseWithoutReferer(request))
        return *refused;
    const QDateTime local = SimCalendar::toShanghai(now);
    const QDate quoteDay = m_market.calendar().currentTradingDay(SimCalendar::Session::AShare, now);
    QJsonArray rows;
    for (const QString& code : request.queryItem(u"Fcodes"_s).split(u',', Qt::SkipEmptyParts)) {
        const SimCatalog::Fund* fund = m_market.catalog().fund(code.trimmed());
        if (!fund)
            continue;
        const SimMarket::Nav nav = m_market.publishedNav(*fund, now);
        // The live service is inconsistent about how it leaves a value out;
        // each fund keeps one spelling, and clients meet all three.
        const int style = int((fund - m_market.catalog().funds().constData()) % 3);
        const QJsonValue missing = style == 0   ? QJsonValue(QJsonValue::Null)
                                   : style == 1 ? QJsonValue(u"--"_s)
                                                : QJsonValue(u""_s);
        QJsonObject row{
            {u"FCODE"_s, fund->code},
            {u"SHORTNAME"_s, fund->name},
            {u"FTYPE"_s, fund->type},
            {u"PDATE"_s, nav.date.toString(Qt::ISODate)},
            {u"NAV"_s, fixed(nav.value, 4)},
            {u"ACCNAV"_s, fixed(nav.accumulated, 4)},
            {u"NAVCHGRT"_s, nav.changePercent ? fixed(*nav.changePercent, 2) : u"--"_s},
            {u"GSZ"_s, missing},
            {u"GSZZL"_s, missing},
            {u"GZTIME"_s, missing},
            {u"NEWPRICE"_s, u"--"_s},
            {u"CHANGERATIO"_s, u""_s},
            {u"ZJL"_s, u"--"_s},
            {u"HQDATE"_s, u"--"_s},
            {u"ISHAVEREDPACKET"_s, false},
            {u"ISBUY"_s, u"1"_s},
        };
        if (fund->listed) {
            const double price = m_market.listedPrice(*fund, quoteDay);
            const double before =
                m_market.listedPrice(*fund, m_market.calendar().previousTradingDay(quoteDay));
            row.insert(u"NEWPRICE"_s, fixed(price, 3));
            row.insert(u"CHANGERATIO"_s, fixed((price / before - 1.0) * 100.0, 2));
            row.insert(u"HQDATE"_s, quoteDay.toString(Qt::ISODate));
        }
        rows.append(row);
    }
    const QDate latest = m_market.publishedNavDate(now);
    const QJsonObject body{
        {u"Datas"_s, rows},
        {u"ErrCode"_s, 0},
        {u"ErrMsg"_s, QJsonValue::Null},
        {u"TotalCount"_s, rows.size()},
        {u"Expansion"_s, QJsonObject{{u"GZTIME"_s, local.toString(u"yyyy-MM-dd HH:mm"_s)},
                                     {u"FSRQ"_s, latest.toString(Qt::ISODate)}}},
        {u"Success"_s, true},
    };
    return Answer{200, toJson(body)};
}

SimRoutes::Answer SimRoutes::fundPositions(const RecordedRequest& request,
                                           const QDateTime& now) const
{
    if (auto refused = refuseWithoutReferer(request))
        return *refused;
    const SimCatalog::Fund* fund = m_market.catalog().fund(request.queryItem(u"FCODE"_s).trimmed());
    if (!fund)
        return Answer{200, toJson(fundError(0, u"暂无数据"_s))};

    static const QString kChanges[] = {u"增持"_s, u"减持"_s, u"新增"_s, u"增持"_s, u"减持"_s};
    QJsonArray stocks;
    for (qsizetype i = 0; i < fund->holdings.size(); ++i) {
        const auto& h = fund->holdings.at(i);
        const auto& stock = m_market.catalog().instruments().at(h.instrument);
        const QString& change = kChanges[i % std::size(kChanges)];
        const bool hk = stock.market == 116;
        stocks.append(QJsonObject{
            {u"GPDM"_s, stock.code},
            {u"GPJC"_s, stock.name},
            {u"JZBL"_s, fixed(h.weight, 2)},
            {u"TEXCH"_s, exchangeOf(stock)},
            {u"ISINVISBL"_s, u"0"_s},
            {u"PCTNVCHGTYPE"_s, change},
            {u"PCTNVCHG"_s, change == u"新增" ? u"--"_s : fixed(0.11 + 0.37 * double(i % 4), 2)},
            {u"NEWTEXCH"_s, QString::number(stock.market)},
            {u"INDEXCODE"_s, hk ? u"--"_s : stock.industryCode},
            {u"INDEXNAME"_s, hk ? u"--"_s : stock.industry},
        });
    }
    const QJsonObject datas{{u"fundStocks"_s, stocks},
                            {u"fundboods"_s, QJsonArray()},
                            {u"fundfofs"_s, QJsonArray()},
                            {u"ETFCODE"_s, QJsonValue::Null},
                            {u"ETFSHORTNAME"_s, QJsonValue::Null}};
    const QJsonObject body{
        {u"Datas"_s, datas},
        {u"ErrCode"_s, 0},
        {u"ErrMsg"_s, QJsonValue::Null},
        {u"TotalCount"_s, stocks.size()},
        {u"Expansion"_s, SimMarket::holdingsReportDate(now).toString(Qt::ISODate)},
        {u"Success"_s, true},
    };
    return Answer{200, toJson(body)};
}

SimRoutes::Answer SimRoutes::fundSearch(const RecordedRequest& request, const QDateTime& now) const
{
    const QString key = request.queryItem(u"key"_s).trimmed();
    const SimCatalog& catalog = m_market.catalog();
    QList<SearchEntry> entries;
    int order = 0;
    for (const SimCatalog::Fund& fund : catalog.funds()) {
        const auto rank = searchRank(key, fund.code, fund.name, fund.pinyin);
        if (!rank) {
            ++order;
            continue;
        }
        const SimMarket::Nav nav = m_market.publishedNav(fund, now);
        const QJsonValue value =
            order % 2 ? QJsonValue(fixed(nav.value, 4)) : QJsonValue(nav.value);
        const QJsonObject base{
            {u"_id"_s, fund.code},
            {u"FCODE"_s, fund.code},
            {u"SHORTNAME"_s, fund.name},
            {u"FTYPE"_s, fund.type},
            {u"DWJZ"_s, value},
            {u"FSRQ"_s, fund.launchedRecently ? u""_s : nav.date.toString(Qt::ISODate)},
            {u"ISBUY"_s, u"1"_s},
        };
        entries.append({*rank, order++,
                        QJsonObject{{u"_id"_s, fund.code},
                                    {u"CODE"_s, fund.code},
                                    {u"NAME"_s, fund.name},
                                    {u"JP"_s, fund.pinyin},
                                    {u"CATEGORY"_s, 700},
                                    {u"CATEGORYDESC"_s, u"基金"_s},
                                    {u"STOCKMARKET"_s, u""_s},
                                    {u"BACKCODE"_s, u""_s},
                                    {u"MatchCount"_s, 1},
                                    {u"FundBaseInfo"_s, base},
                                    {u"StockHolder"_s, u""_s},
                                    {u"ZTJJInfo"_s, QJsonArray()},
                                    {u"SEARCHWEIGHT"_s, 0.0},
                                    {u"NEWTEXCH"_s, u""_s}}});
    }
    for (const SimCatalog::Instrument& stock : catalog.instruments()) {
        if (stock.kind != SimCatalog::Kind::Stock)
            continue;
        const auto rank = searchRank(key, stock.code, stock.name, stock.pinyin);
        if (!rank)
            continue;
        entries.append({*rank, order++,
                        QJsonObject{{u"_id"_s, stock.code},
                                    {u"CODE"_s, stock.code},
                                    {u"NAME"_s, stock.name},
                                    {u"JP"_s, stock.pinyin},
                                    {u"CATEGORY"_s, stock.market == 116 ? 13 : 10},
                                    {u"CATEGORYDESC"_s, stockTypeName(stock)},
                                    {u"STOCKMARKET"_s, QString::number(stock.market)},
                                    {u"MatchCount"_s, 1},
                                    {u"FundBaseInfo"_s, QJsonValue::Null},
                                    {u"SEARCHWEIGHT"_s, 0.0}}});
    }
    static const QRegularExpression kDigits(u"^\\d+$"_s);
    const QJsonArray rows = bestFirst(entries, 0, 20);
    const QJsonValue datas = !rows.isEmpty()                 ? QJsonValue(rows)
                             : kDigits.match(key).hasMatch() ? QJsonValue(QJsonArray())
                                                             : QJsonValue(QJsonValue::Null);
    const QJsonObject body{{u"ErrCode"_s, 0}, {u"ErrMsg"_s, QJsonValue::Null}, {u"Datas"_s, datas}};
    return Answer{200, toJson(body)};
}

SimRoutes::Answer SimRoutes::codeSearch(const RecordedRequest& request) const
{
    const QString key = request.queryItem(u"keyword"_s).trimmed();
    const int size = std::clamp(intItem(request, u"pageSize"_s, 10), 1, 50);
    const int page = std::max(1, intItem(request, u"pageIndex"_s, 1));
    const SimCatalog& catalog = m_market.catalog();
    struct Listing {
        QString code, name, pinyin, type;
        int market = 0;
    };
    QList<Listing> listings;
    for (qsizetype i = 0; i < catalog.instruments().size(); ++i) {
        const SimCatalog::Instrument& it = catalog.instruments().at(i);
        QString type = u"期货"_s;
        if (it.kind == SimCatalog::Kind::Board)
            type = catalog.boardOf(int(i))->type;
        else if (it.kind == SimCatalog::Kind::Stock)
            type = stockTypeName(it);
        listings.append(
            {it.code, it.name, it.market == 116 ? QString() : it.pinyin, type, it.market});
    }
    for (const SimCatalog::Fund& fund : catalog.funds())
        listings.append({fund.code, fund.name, fund.pinyin, u"基金"_s, 150});

    QList<SearchEntry> entries;
    for (qsizetype i = 0; i < listings.size(); ++i) {
        const Listing& l = listings.at(i);
        const auto rank = searchRank(key, l.code, l.name, l.pinyin);
        if (!rank)
            continue;
        QJsonObject row{{u"code"_s, l.code},
                        {u"shortName"_s, l.name},
                        {u"securityTypeName"_s, l.type},
                        {u"innerCode"_s, QString::number(10000 + i)}};
        if (!l.pinyin.isEmpty())
            row.insert(u"pinyin"_s, l.pinyin);
        // Every other entry's market comes as a text.
        row.insert(u"market"_s,
                   i % 2 ? QJsonValue(QString::number(l.market)) : QJsonValue(l.market));
        entries.append({*rank, int(i), row});
    }
    const QJsonArray rows = bestFirst(entries, qsizetype(page - 1) * size, size);
    const QJsonObject body{{u"code"_s, u"0"_s},
                           {u"msg"_s, u"成功"_s},
                           {u"result"_s, rows.isEmpty() ? QJsonValue(QJsonValue::Null) : rows}};
    return Answer{200, toJson(body)};
}

QByteArray SimRoutes::defaultVersionRecord()
{
    // The build's own version, so an app run against the simulator sees no
    // update unless a test installs a newer record.
    const QJsonObject record{
        {u"version"_s, versionString()},
        {u"notes"_s, u"问题修复与性能改进。"_s},
        {u"download_url"_s, u"https://orlenby.com/works/downloads/quotara.zip"_s},
        {u"release_url"_s, u"https://github.com/kestrin-orlenby/quotara/releases"_s},
    };
    return toJson(record);
}

QByteArray SimRoutes::defaultGithubRelease()
{
    const QString tag = u"v"_s + versionString();
    const QString base = u"https://github.com/kestrin-orlenby/quotara/releases"_s;
    const QJsonObject asset{
        {u"name"_s, u"quotara.zip"_s},
        {u"content_type"_s, u"application/zip"_s},
        {u"size"_s, 18734112},
        {u"browser_download_url"_s, base + u"/download/"_s + tag + u"/quotara.zip"_s},
    };
    const QJsonObject release{
        {u"url"_s, u"https://api.github.com/repos/kestrin-orlenby/quotara/releases/170000001"_s},
        {u"html_url"_s, base + u"/tag/"_s + tag},
        {u"id"_s, 170000001},
        {u"tag_name"_s, tag},
        {u"target_commitish"_s, u"main"_s},
        {u"name"_s, u"Quotara "_s + versionString()},
        {u"draft"_s, false},
        {u"prerelease"_s, false},
        {u"created_at"_s, u"2025-01-06T08:00:00Z"_s},
        {u"published_at"_s, u"2025-01-06T08:30:00Z"_s},
        {u"assets"_s, QJsonArray{asset}},
        {u"body"_s, u"- 问题修复与性能改进"_s},
    };
    return toJson(release);
}
