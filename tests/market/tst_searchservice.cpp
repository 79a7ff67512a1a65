#include "SimFixture.h"
#include "market/FundSearchService.h"
#include "market/SectorSearchService.h"

#include <QElapsedTimer>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

// Both search services against the simulated provider: the fund search for
// the fund form, the code search for the board form.
class TestSearchService : public QObject {
    Q_OBJECT
private slots:
    void init() { m_fixture.reset(); }
    void search_data();
    void search();
    void staleAnswerIsDropped_data();
    void staleAnswerIsDropped();

private:
    QCoro::Task<SearchOutcome> start(bool fund, const QString& text)
    {
        return fund ? m_funds.search(text) : m_boards.search(text);
    }
    bool isBusy(bool fund) const { return fund ? m_funds.isBusy() : m_boards.isBusy(); }

    SimFixture m_fixture;
    FundSearchService m_funds{m_fixture.origin(), stallTimeout(500ms)};
    SectorSearchService m_boards{m_fixture.origin(), stallTimeout(500ms)};
};

namespace {

const QString kFundPath = u"/FundSearch/api/FundSearchAPI.ashx"_s;
const QString kCodePath = u"/codetable/search/web"_s;
// A zero delay changes nothing: the provider answers as it would.
const Fault kNone = Fault::delay(0);

QStringList texts(const QList<SearchHit>& hits)
{
    QStringList out;
    for (const SearchHit& hit : hits)
        out.append(hit.code + u'|' + hit.name + u'|' + hit.kind);
    return out;
}

// A code search answer listing `count` industry boards.
QByteArray manyBoards(int count)
{
    QByteArray rows;
    for (int i = 0; i < count; ++i) {
        rows += (i ? "," : "") + QByteArray(R"({"code":"BK09)") + QByteArray::number(10 + i) +
                R"(","shortName":"板块)" + QByteArray::number(i) +
                R"(","market":90,"securityTypeName":"行业"})";
    }
    return R"({"code":"0","result":[)" + rows + "]}";
}

} // namespace

void TestSearchService::search_data()
{
    QTest::addColumn<bool>("fund"); // else the board search
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("sent");     // part of the raw query; null: nothing is sent
    QTest::addColumn<QString>("outcome");  // "hits", "failed" or "dropped"
    QTest::addColumn<QStringList>("hits"); // "code|name|kind"
    const QStringList none;
    const QStringList semiconductors{u"BK0475|半导体|行业"_s, u"BK1036|半导体概念|概念"_s};

    QTest::newRow("fund by name") << true << u"易方达"_s << kNone
                                  << u"key=%E6%98%93%E6%96%B9%E8%BE%BE&"_s << u"hits"_s
                                  << QStringList{u"110011|易方达优质精选混合(QDII)|QDII-混合偏股"_s,
                                                 u"005827|易方达蓝筹精选混合|混合型-偏股"_s};
    QTest::newRow("fund by pinyin initials")
        << true << u" yfdlc "_s << kNone << u"key=yfdlc&"_s << u"hits"_s
        << QStringList{u"005827|易方达蓝筹精选混合|混合型-偏股"_s};
    QTest::newRow("fund by part of its code")
        << true << u"1617"_s << kNone << u"key=1617&"_s << u"hits"_s
        << QStringList{u"161725|招商中证白酒指数(LOF)A|指数型-股票"_s};
    QTest::newRow("fund by one Han character")
        << true << u"酒"_s << kNone << u"key=%E9%85%92&"_s << u"hits"_s
        << QStringList{u"161725|招商中证白酒指数(LOF)A|指数型-股票"_s};
    QTest::newRow("only stocks match: no fund")
        << true << u"茅台"_s << kNone << u"key=%E8%8C%85%E5%8F%B0&"_s << u"hits"_s << none;
    QTest::newRow("fund search, Datas null")
        << true << u"zzzz"_s << kNone << u"key=zzzz&"_s << u"hits"_s << none;
    QTest::newRow("& stays inside the key")
        << true << u"白酒&m=2"_s << kNone << u"key=%E7%99%BD%E9%85%92%26m%3D2&"_s << u"hits"_s
        << none;
    QTest::newRow("loose fund entries")
        << true << u"hx"_s << Fault::body(200, R"({"Datas":[7,null,
            {"CODE":"000001","NAME":"华夏成长","CATEGORY":"700","FundBaseInfo":null},
            {"CODE":"000001","NAME":"重复","CATEGORY":700},
            {"CODE":"600519","NAME":"贵州茅台","CATEGORY":10,"CATEGORYDESC":"沪A"},
            {"CODE":5,"NAME":"代码不是文字","CATEGORY":700},
            {"NAME":" 华夏债券 ","CATEGORYDESC":"基金",
             "FundBaseInfo":{"FCODE":"000002","FTYPE":"债券型","DWJZ":"1.0"}}]})")
        << u"key=hx&"_s << u"hits"_s
        << QStringList{u"000001|华夏成长|基金"_s, u"000002|华夏债券|债券型"_s};
    QTest::newRow("fund search times out")
        << true << u"易方达"_s << Fault::stall() << u"key="_s << u"failed"_s << none;
    QTest::newRow("fund search answers no JSON")
        << true << u"yfd"_s << Fault::malformed() << u"key=yfd&"_s << u"failed"_s << none;
    QTest::newRow("one Latin letter is not sent")
        << true << u" y "_s << kNone << QString() << u"dropped"_s << none;
    QTest::newRow("blanks are not sent")
        << true << u" \t"_s << kNone << QString() << u"dropped"_s << none;

    QTest::newRow("board by name")
        << false << u"半导体"_s << kNone << u"keyword=%E5%8D%8A%E5%AF%BC%E4%BD%93&"_s << u"hits"_s
        << semiconductors;
    QTest::newRow("board by pinyin initials, stocks left out")
        << false << u"bdt"_s << kNone << u"keyword=bdt&"_s << u"hits"_s << semiconductors;
    QTest::newRow("board by part of its code")
        << false << u"bk08"_s << kNone << u"keyword=bk08&"_s << u"hits"_s
        << QStringList{u"BK0800|人工智能|概念"_s};
    QTest::newRow("a board typed only 板块")
        << false << u"航天"_s << kNone << u"keyword=%E8%88%AA%E5%A4%A9&"_s << u"hits"_s
        << QStringList{u"BK0480|航天航空|板块"_s};
    QTest::newRow("only a fund matches: no board")
        << false << u"白酒"_s << kNone << u"keyword=%E7%99%BD%E9%85%92&"_s << u"hits"_s << none;
    QTest::newRow("code search, result null")
        << false << u"zzzz"_s << kNone << u"keyword=zzzz&"_s << u"hits"_s << none;
    QTest::newRow("& stays inside the keyword")
        << false << u"bdt&pageSize=99"_s << kNone << u"keyword=bdt%26pageSize%3D99&"_s << u"hits"_s
        << none;
    QTest::newRow("loose board entries")
        << false << u"dy"_s << Fault::body(200, R"({"code":"0","result":[[],
            {"code":"BK0172","shortName":"贵州板块","market":"90","securityTypeName":"地域"},
            {"code":"bk0999","shortName":"某指数","market":90,"securityTypeName":"指数"},
            {"code":"BK0998","securityTypeName":"概念"},
            {"code":"000001","shortName":"平安银行","market":0,"securityTypeName":"深A"},
            {"code":"BK0172","shortName":"重复","securityTypeName":"地域"}]})")
        << u"keyword=dy&"_s << u"hits"_s
        << QStringList{u"BK0172|贵州板块|地域"_s, u"BK0999|某指数|板块"_s};
    QTest::newRow("at most ten boards")
        << false << u"hy"_s << Fault::body(200, manyBoards(12)) << u"keyword=hy&"_s << u"hits"_s
        << QStringList{u"BK0910|板块0|行业"_s, u"BK0911|板块1|行业"_s, u"BK0912|板块2|行业"_s,
                       u"BK0913|板块3|行业"_s, u"BK0914|板块4|行业"_s, u"BK0915|板块5|行业"_s,
                       u"BK0916|板块6|行业"_s, u"BK0917|板块7|行业"_s, u"BK0918|板块8|行业"_s,
                       u"BK0919|板块9|行业"_s};
    QTest::newRow("code search times out")
        << false << u"bdt"_s << Fault::stall() << u"keyword=bdt&"_s << u"failed"_s << none;
    QTest::newRow("code search fails")
        << false << u"bdt"_s << Fault::status(502) << u"keyword=bdt&"_s << u"failed"_s << none;
    QTest::newRow("one digit is not sent")
        << false << u"4"_s << kNone << QString() << u"dropped"_s << none;
}

void TestSearchService::search()
{
    QFETCH(bool, fund);
    QFETCH(QString, typed);
    QFETCH(Fault, fault);
    QFETCH(QString, sent);
    QFETCH(QString, outcome);
    m_fixture.sim().addFault(fund ? kFundPath : kCodePath, fault);

    const auto result = run(start(fund, typed));
    QVERIFY2(result.value, "a search never throws");
    const auto kind = result.value->kind;
    QCOMPARE(kind == SearchOutcome::Kind::hits     ? u"hits"_s
             : kind == SearchOutcome::Kind::failed ? u"failed"_s
                                                   : u"dropped"_s,
             outcome);
    QTEST(texts(result.value->hits), "hits");
    QVERIFY(!isBusy(fund));

    const auto requests = m_fixture.sim().requests();
    if (sent.isNull()) {
        QCOMPARE(requests.size(), 0);
        return;
    }
    QCOMPARE(requests.size(), 1);
    const RecordedRequest& request = requests.first();
    QVERIFY2(request.query.contains(sent), qPrintable(request.query));
    QCOMPARE(request.header("User-Agent"),
             QByteArray("Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/537.36 "
                        "Chrome/126.0"));
    if (fund) {
        QCOMPARE(request.path, kFundPath);
        QCOMPARE(request.queryItem(u"key"_s), typed.trimmed());
        QCOMPARE(request.queryItem(u"m"_s), u"1"_s);
        bool stamped = false;
        QVERIFY(request.queryItem(u"_"_s).toLongLong(&stamped) > 0 && stamped);
        QCOMPARE(request.header("Referer"), QByteArray("https://fund.eastmoney.com/"));
    } else {
        QCOMPARE(request.path, kCodePath);
        QCOMPARE(request.queryItem(u"keyword"_s), typed.trimmed());
        QCOMPARE(request.queryItem(u"pageSize"_s), u"20"_s);
        QCOMPARE(request.queryItem(u"client"_s), u"web"_s);
        QCOMPARE(request.header("Referer"), QByteArray("https://quote.eastmoney.com/"));
    }
}

void TestSearchService::staleAnswerIsDropped_data()
{
    QTest::addColumn<bool>("fund");
    QTest::addColumn<QString>("older");
    QTest::addColumn<QString>("newer");
    QTest::addColumn<QStringList>("hits"); // the newer text's
    QTest::newRow("fund") << true << u"yfd"_s << u"白酒"_s
                          << QStringList{u"161725|招商中证白酒指数(LOF)A|指数型-股票"_s};
    QTest::newRow("board") << false << u"bdt"_s << u"rgzn"_s
                           << QStringList{u"BK0800|人工智能|概念"_s};
}

void TestSearchService::staleAnswerIsDropped()
{
    QFETCH(bool, fund);
    QFETCH(QString, older);
    QFETCH(QString, newer);
    // The older text's answer would arrive long after the newer one's.
    m_fixture.sim().addFault(fund ? kFundPath : kCodePath, Fault::delay(1500),
                             u"=%1&"_s.arg(older));
    QElapsedTimer clock;
    clock.start();
    auto first = start(fund, older);
    QTRY_COMPARE(m_fixture.sim().requests().size(), 1);
    auto second = start(fund, newer);
    // Aborted as the newer search is sent: never two requests in flight.
    QVERIFY(first.isReady());
    QCOMPARE(run(std::move(first)).value, std::optional(SearchOutcome::dropped()));
    QVERIFY(isBusy(fund));
    const auto answer = run(std::move(second));
    QVERIFY(clock.elapsed() < 1500);
    QVERIFY(answer.value && answer.value->kind == SearchOutcome::Kind::hits);
    QTEST(texts(answer.value->hits), "hits");
    QCOMPARE(m_fixture.sim().requests().size(), 2);
}

QTEST_GUILESS_MAIN(TestSearchService)
#include "tst_searchservice.moc"
