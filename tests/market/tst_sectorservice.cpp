#include "SimFixture.h"
#include "market/SectorService.h"

#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

class TestSectorService : public QObject {
    Q_OBJECT
private slots:
    void init() { m_fixture.reset(); }
    void requests_data();
    void requests();
    void emptyInputsSendNothing();
    void oddCodesAreSentWhole_data();
    void oddCodesAreSentWhole();
    void fetchIndexUnknownBoard_data();
    void fetchIndexUnknownBoard();
    void fetchIndicesNames_data();
    void fetchIndicesNames();
    void fetchStockChangesRows();
    void fetchStocksFromTheProvider();
    void fetchTrendsKeepsOrderAndName();
    void goldTrendAtChosenInstants_data();
    void goldTrendAtChosenInstants();
    void goldTrendFailures_data();
    void goldTrendFailures();

private:
    SimFixture m_fixture;
    SectorService m_service{m_fixture.origin()};
};

static const QString kTrendFields =
    u"&fields1=f1,f2,f3,f4,f5,f6,f7,f8,f9,f10,f11,f12,f13&fields2=f51,f52,f53,f54,f55,f56,f57,f58"
    "&iscr=0"_s;

void TestSectorService::requests_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("request");

    QTest::newRow("fetchIndex")
        << u"fetchIndex"_s
        << u"/api/qt/ulist.np/get?fltt=2&secids=90.BK0547&fields=f2,f3,f12,f14,f18,f6"_s;
    QTest::newRow("fetchIndices")
        << u"fetchIndices"_s
        << u"/api/qt/ulist.np/get?fltt=2&secids=90.BK0475,90.BK0547,90.BK1128&fields=f2,f3,f12,f14,f18,f6"_s;
    QTest::newRow("fetchStocks defaults")
        << u"fetchStocks"_s
        << u"/api/qt/clist/get?pn=1&pz=10&po=1&np=1&fltt=2&invt=2&fid=f6&fs=b:BK0475&fields=f2,f3,f6,f12,f14"_s;
    QTest::newRow("fetchStockChanges prefixes")
        << u"fetchStockChanges"_s
        << u"/api/qt/ulist.np/get?fltt=2&secids=1.600519,116.00700,0.000568,0.300750,0.000568&fields=f3,f12"_s;
    QTest::newRow("fetchTrends") << u"fetchTrends"_s
                                 << u"/api/qt/stock/trends2/get?secid=90.BK1128"_s + kTrendFields +
                                        u"&ndays=1"_s;
    QTest::newRow("fetchGoldTrends")
        << u"fetchGoldTrends"_s
        << u"/api/qt/stock/trends2/get?secid=113.aum"_s + kTrendFields + u"&ndays=2"_s;
}

void TestSectorService::requests()
{
    QFETCH(QString, operation);
    QFETCH(QString, request);
    bool ok = false;
    if (operation == u"fetchIndex"_s) {
        ok = run(m_service.fetchIndex(u"BK0547"_s, u"黄金概念"_s)).value.has_value();
    } else if (operation == u"fetchIndices"_s) {
        ok = run(m_service.fetchIndices({u"BK0475"_s, u"BK0547"_s, u"BK1128"_s}, {}))
                 .value.has_value();
    } else if (operation == u"fetchStocks"_s) {
        ok = run(m_service.fetchStocks()).value.has_value();
    } else if (operation == u"fetchStockChanges"_s) {
        // No de-duplication here: the caller does it.
        ok = run(m_service.fetchStockChanges({{u"600519"_s, 1},
                                              {u"00700"_s, 5},
                                              {u"000568"_s, 2},
                                              {u"300750"_s, 0},
                                              {u"000568"_s, 2}}))
                 .value.has_value();
    } else if (operation == u"fetchTrends"_s) {
        ok = run(m_service.fetchTrends(u"BK1128"_s, u"CPO概念"_s)).value.has_value();
    } else if (operation == u"fetchGoldTrends"_s) {
        ok = run(m_service.fetchGoldTrends()).value.has_value();
    }
    QVERIFY(ok);
    QCOMPARE(m_fixture.onlyRequest(), request);
    const RecordedRequest recorded = m_fixture.sim().requests().first();
    QCOMPARE(recorded.header("User-Agent"), NetworkClient::defaultUA.toString().toUtf8());
    QCOMPARE(recorded.header("Referer"), QByteArray("https://quote.eastmoney.com/"));
}

void TestSectorService::emptyInputsSendNothing()
{
    const auto indices = run(m_service.fetchIndices({}, {u"半导体"_s}));
    QVERIFY(indices.value && indices.value->isEmpty());
    const auto changes = run(m_service.fetchStockChanges({}));
    QVERIFY(changes.value && changes.value->isEmpty());
    QCOMPARE(m_fixture.sim().requests().size(), 0);
}

// Codes added without a look-up may hold anything the user typed. Each must
// reach the provider as one value, leaving the rest of the request, and the
// other codes of a list, as they were.
void TestSectorService::oddCodesAreSentWhole_data()
{
    QTest::addColumn<QString>("odd");
    QTest::newRow("ampersand") << u"BK0547&fields=f12"_s;
    QTest::newRow("hash") << u"BK0547#top"_s;
    QTest::newRow("comma") << u"BK05,47"_s;
    QTest::newRow("blank") << u"BK 0547"_s;
    QTest::newRow("plus and equals") << u"BK+0547=1"_s;
    QTest::newRow("percent") << u"BK%260547"_s;
    QTest::newRow("chinese") << u"半导体"_s;
}

void TestSectorService::oddCodesAreSentWhole()
{
    QFETCH(QString, odd);
    auto last = [this] { return m_fixture.sim().requests().last(); };

    // Lists: the codes around the odd one are still answered.
    const auto indices = run(m_service.fetchIndices({u"BK0475"_s, odd, u"BK1128"_s}, {}));
    QVERIFY2(indices.value, qPrintable(indices.describe()));
    QStringList answered;
    for (const SectorQuote& q : *indices.value)
        answered.append(q.code);
    QCOMPARE(answered, (QStringList{u"BK0475"_s, u"BK1128"_s}));
    QCOMPARE(sentList(last(), u"secids"_s),
             (QStringList{u"90.BK0475"_s, u"90."_s + odd, u"90.BK1128"_s}));
    QCOMPARE(last().queryItem(u"fields"_s), u"f2,f3,f12,f14,f18,f6"_s);

    const auto changes =
        run(m_service.fetchStockChanges({{u"600519"_s, 1}, {odd, 1}, {u"000568"_s, 2}}));
    QVERIFY2(changes.value, qPrintable(changes.describe()));
    QCOMPARE(changes.value->keys(), (QStringList{u"000568"_s, u"600519"_s}));
    QCOMPARE(sentList(last(), u"secids"_s),
             (QStringList{u"1.600519"_s, u"1."_s + odd, u"0.000568"_s}));
    QCOMPARE(last().queryItem(u"fields"_s), u"f3,f12"_s);

    // Single codes arrive whole, and the parameters after them too.
    run(m_service.fetchIndex(odd));
    QCOMPARE(last().queryItem(u"secids"_s), u"90."_s + odd);
    QCOMPARE(last().queryItem(u"fields"_s), u"f2,f3,f12,f14,f18,f6"_s);
    run(m_service.fetchStocks(odd));
    QCOMPARE(last().queryItem(u"fs"_s), u"b:"_s + odd);
    QCOMPARE(last().queryItem(u"fields"_s), u"f2,f3,f6,f12,f14"_s);
    run(m_service.fetchTrends(odd, u"板块"_s));
    QCOMPARE(last().queryItem(u"secid"_s), u"90."_s + odd);
    QCOMPARE(last().queryItem(u"ndays"_s), u"1"_s);
}

void TestSectorService::fetchIndexUnknownBoard_data()
{
    QTest::addColumn<QByteArray>("body"); // empty = the provider's own answer
    QTest::newRow("provider's answer") << QByteArray();
    QTest::newRow("empty diff") << QByteArray(R"({"rc":0,"data":{"total":0,"diff":[]}})");
    QTest::newRow("data null") << QByteArray(R"({"rc":0,"data":null})");
}

void TestSectorService::fetchIndexUnknownBoard()
{
    QFETCH(QByteArray, body);
    if (!body.isEmpty())
        m_fixture.sim().addFault(u"/api/qt/ulist.np/get"_s, Fault::body(200, body));
    const auto outcome = run(m_service.fetchIndex(u"BK9999"_s));
    QVERIFY2(outcome.error, qPrintable(outcome.describe()));
    QCOMPARE(outcome.error->kind(), FetchError::Kind::invalidData);
    QCOMPARE(outcome.error->tag(), u"板块解析失败"_s);
}

void TestSectorService::fetchIndicesNames_data()
{
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("expected"); // "code name" in answer order

    QTest::newRow("configured names win, answer order")
        << QStringList{u"BK0001"_s, u"BK0002"_s} << QStringList{u"甲板块"_s, u"乙板块"_s}
        << QStringList{u"BK0002 乙板块"_s, u"BK0001 甲板块"_s};
    QTest::newRow("fewer names than codes")
        << QStringList{u"BK0001"_s, u"BK0002"_s} << QStringList{u"甲板块"_s}
        << QStringList{u"BK0002 provider-2"_s, u"BK0001 甲板块"_s};
    QTest::newRow("no names") << QStringList{u"BK0001"_s, u"BK0002"_s} << QStringList{}
                              << QStringList{u"BK0002 provider-2"_s, u"BK0001 provider-1"_s};
    QTest::newRow("row for a code not asked")
        << QStringList{u"BK0001"_s} << QStringList{u"甲板块"_s}
        << QStringList{u"BK0002 provider-2"_s, u"BK0001 甲板块"_s};
}

void TestSectorService::fetchIndicesNames()
{
    QFETCH(QStringList, codes);
    QFETCH(QStringList, names);
    QFETCH(QStringList, expected);
    // Rows come back in reverse order of the request.
    m_fixture.sim().addFault(u"/api/qt/ulist.np/get"_s,
                             Fault::body(200, R"({"rc":0,"data":{"total":2,"diff":[
            {"f2":2000.5,"f3":-1.2,"f6":3e9,"f12":"BK0002","f14":"provider-2","f18":2024.8},
            {"f2":"-","f3":0.4,"f12":"BK0001","f14":"provider-1","f18":998}]}})"));
    const auto outcome = run(m_service.fetchIndices(codes, names));
    QVERIFY2(outcome.value, qPrintable(outcome.describe()));
    QStringList actual;
    for (const SectorQuote& q : *outcome.value)
        actual.append(q.code + u' ' + q.name);
    QCOMPARE(actual, expected);
    QCOMPARE(outcome.value->at(0).index, std::optional(2000.5));
    QCOMPARE(outcome.value->at(0).prevIndex, std::optional(2024.8));
    QCOMPARE(outcome.value->at(0).amount, std::optional(3e9));
    QCOMPARE(outcome.value->at(1).index, std::nullopt);  // "-" placeholder, not 0
    QCOMPARE(outcome.value->at(1).amount, std::nullopt); // not sent at all
}

void TestSectorService::fetchStockChangesRows()
{
    m_fixture.sim().addFault(u"/api/qt/ulist.np/get"_s, Fault::body(200, R"({"data":{"diff":[
        {"f3":1.5,"f12":"600519"},{"f3":"-","f12":"600000"},{"f3":-2.25,"f12":"00700"},
        {"f3":0.5},{"f3":3,"f12":600036},{"f3":-0.5,"f12":"600519"}]}})"));
    const auto outcome =
        run(m_service.fetchStockChanges({{u"600519"_s, 1}, {u"600000"_s, 1}, {u"00700"_s, 5}}));
    QVERIFY2(outcome.value, qPrintable(outcome.describe()));
    // A later row of the same code replaces the earlier one; unreadable rows are left out.
    const QMap<QString, double> expected{{u"600519"_s, -0.5}, {u"00700"_s, -2.25}};
    QCOMPARE(*outcome.value, expected);
}

void TestSectorService::fetchStocksFromTheProvider()
{
    const auto outcome = run(m_service.fetchStocks(u"BK0475"_s, 10));
    QVERIFY2(outcome.value, qPrintable(outcome.describe()));
    QCOMPARE(outcome.value->size(), 10);
    for (qsizetype i = 1; i < outcome.value->size(); ++i)
        QVERIFY(outcome.value->at(i - 1).amount >= outcome.value->at(i).amount);
    for (const StockQuote& s : *outcome.value) {
        QVERIFY(!s.code.isEmpty());
        QVERIFY(!s.name.isEmpty());
    }
    const auto unknown = run(m_service.fetchStocks(u"BK9999"_s));
    QVERIFY(unknown.value && unknown.value->isEmpty());
}

void TestSectorService::fetchTrendsKeepsOrderAndName()
{
    m_fixture.sim().addFault(
        u"/api/qt/stock/trends2/get"_s,
        Fault::body(200, R"({"data":{"name":"provider","preClose":1311.06,"trends":[
        "2024-06-03 09:32,1,1312.5,1,1,10,100,1311.9",
        "2024-06-03 09:31,1,1311.5,1,1,10,100,1311.5",
        "bad line"]}})"));
    const auto outcome = run(m_service.fetchTrends(u"BK0475"_s, u"半导体"_s));
    QVERIFY2(outcome.value, qPrintable(outcome.describe()));
    QCOMPARE(outcome.value->name, u"半导体"_s);
    QCOMPARE(outcome.value->preClose, 1311.06);
    QCOMPARE(outcome.value->points.size(), 2);
    QCOMPARE(outcome.value->points[0].time, u"2024-06-03 09:32"_s);
    QCOMPARE(outcome.value->points[0].price, 1312.5);
}

static QDateTime shanghai(int y, int m, int d, int h, int min)
{
    return QDateTime(QDate(y, m, d), QTime(h, min), QTimeZone("Asia/Shanghai"));
}

void TestSectorService::goldTrendAtChosenInstants_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<bool>("afterMidnightMinutes");

    // Tuesday morning: Monday evening's night session, past midnight, then today.
    QTest::newRow("tuesday 10:00")
        << shanghai(2024, 6, 4, 10, 0) << u"2024-06-03 21:01"_s << u"2024-06-04 10:00"_s << true;
    // Tuesday night: the running night session belongs to Wednesday, which has
    // no day session yet, so Tuesday's day is shown.
    QTest::newRow("tuesday 22:30")
        << shanghai(2024, 6, 4, 22, 30) << u"2024-06-03 21:01"_s << u"2024-06-04 15:00"_s << true;
    // Monday morning: Friday's night session counts to Saturday, not Monday.
    QTest::newRow("monday 09:45") << shanghai(2024, 6, 10, 9, 45) << u"2024-06-10 09:01"_s
                                  << u"2024-06-10 09:45"_s << false;
}

void TestSectorService::goldTrendAtChosenInstants()
{
    QFETCH(QDateTime, now);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(bool, afterMidnightMinutes);
    m_fixture.sim().setClock([now] { return now; });
    const auto outcome = run(m_service.fetchGoldTrends());
    QVERIFY2(outcome.value, qPrintable(outcome.describe()));
    const TrendData& trend = *outcome.value;
    QCOMPARE(trend.name, u"沪金主连"_s);
    QVERIFY(trend.preClose > 0);
    QVERIFY(!trend.points.isEmpty());
    QCOMPARE(trend.points.first().time, first);
    QCOMPARE(trend.points.last().time, last);
    bool sawAfterMidnight = false;
    for (qsizetype i = 0; i < trend.points.size(); ++i) {
        if (i > 0)
            QVERIFY(trend.points[i - 1].time <= trend.points[i].time);
        sawAfterMidnight |= trend.points[i].time.mid(11, 2) == u"01"_s;
    }
    QCOMPARE(sawAfterMidnight, afterMidnightMinutes);
}

void TestSectorService::goldTrendFailures_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("data null") << QByteArray(R"({"rc":0,"data":null})");
    QTest::newRow("no preClose") << QByteArray(R"({"data":{"trends":[]}})");
    QTest::newRow("trends not strings") << QByteArray(R"({"data":{"preClose":1,"trends":[1,2]}})");
}

void TestSectorService::goldTrendFailures()
{
    QFETCH(QByteArray, body);
    m_fixture.sim().addFault(u"/api/qt/stock/trends2/get"_s, Fault::body(200, body));
    const auto gold = run(m_service.fetchGoldTrends());
    QVERIFY2(gold.error, qPrintable(gold.describe()));
    QCOMPARE(gold.error->tag(), u"黄金分时线解析失败"_s);
    const auto board = run(m_service.fetchTrends(u"BK0475"_s, u"半导体"_s));
    QVERIFY2(board.error, qPrintable(board.describe()));
    QCOMPARE(board.error->tag(), u"分时线解析失败"_s);
}

QTEST_GUILESS_MAIN(TestSectorService)
#include "tst_sectorservice.moc"
