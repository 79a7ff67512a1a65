#include "SimFixture.h"
#include "market/FundService.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestFundService : public QObject {
    Q_OBJECT
private slots:
    void init() { m_fixture.reset(); }
    void requestsAndHeaders_data();
    void requestsAndHeaders();
    void emptyCodesSendNothing();
    void oddCodesAreSentWhole_data();
    void oddCodesAreSentWhole();
    void fetchAllFansOut();
    void fetchAllSurvivesOneFailingHoldings_data();
    void fetchAllSurvivesOneFailingHoldings();
    void fetchAllFailsWithItsQuotes();
    void fetchAllKeepsTheAnswerOrder();

private:
    SimFixture m_fixture;
    FundService m_service{m_fixture.origin()};
    const QStringList m_codes{u"161725"_s, u"110011"_s, u"005827"_s};
};

void TestFundService::requestsAndHeaders_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("request");
    QTest::newRow("fetchQuotes")
        << u"fetchQuotes"_s
        << u"/FundMNewApi/FundMNFInfo?Fcodes=161725,110011,005827&deviceid=Wap&plat=Wap&product=EFund&version=6.2.8"_s;
    QTest::newRow("fetchHoldings")
        << u"fetchHoldings"_s
        << u"/FundMNewApi/FundMNInverstPosition?FCODE=161725&deviceid=Wap&plat=Wap&product=EFund&version=6.2.8"_s;
}

void TestFundService::requestsAndHeaders()
{
    QFETCH(QString, operation);
    QFETCH(QString, request);
    if (operation == u"fetchQuotes"_s) {
        const auto outcome = run(m_service.fetchQuotes(m_codes));
        QVERIFY2(outcome.value, qPrintable(outcome.describe()));
        QCOMPARE(outcome.value->size(), 3);
    } else {
        const auto outcome = run(m_service.fetchHoldings(u"161725"_s));
        QVERIFY2(outcome.value, qPrintable(outcome.describe()));
        QVERIFY(!outcome.value->isEmpty());
    }
    QCOMPARE(m_fixture.onlyRequest(), request);
    const RecordedRequest recorded = m_fixture.sim().requests().first();
    QCOMPARE(recorded.header("User-Agent"),
             QByteArray("Mozilla/5.0 (iPhone; CPU iPhone OS 16_0 like Mac OS X)"));
    QCOMPARE(recorded.header("Referer"), QByteArray("https://mpservice.com/"));
}

void TestFundService::emptyCodesSendNothing()
{
    const auto quotes = run(m_service.fetchQuotes({}));
    QVERIFY(quotes.value && quotes.value->isEmpty());
    const auto details = run(m_service.fetchAll({}));
    QVERIFY(details.value && details.value->isEmpty());
    QCOMPARE(m_fixture.sim().requests().size(), 0);
}

// A fund code added without a look-up may hold anything the user typed; the
// other watched funds must still be answered.
void TestFundService::oddCodesAreSentWhole_data()
{
    QTest::addColumn<QString>("odd");
    QTest::newRow("ampersand") << u"110011&Fcodes=005827"_s;
    QTest::newRow("hash") << u"110011#1"_s;
    QTest::newRow("comma") << u"1100,11"_s;
    QTest::newRow("blank") << u"110 011"_s;
    QTest::newRow("plus and equals") << u"+110011=1"_s;
    QTest::newRow("chinese") << u"白酒"_s;
}

void TestFundService::oddCodesAreSentWhole()
{
    QFETCH(QString, odd);
    const auto outcome = run(m_service.fetchAll({u"161725"_s, odd, u"005827"_s}));
    QVERIFY2(outcome.value, qPrintable(outcome.describe()));
    QStringList answered;
    for (const FundDetail& d : *outcome.value) {
        answered.append(d.quote.code);
        QVERIFY(!d.holdings.isEmpty());
    }
    QCOMPARE(answered, (QStringList{u"161725"_s, u"005827"_s}));
    const RecordedRequest quotes = m_fixture.sim().requests().first();
    QCOMPARE(sentList(quotes, u"Fcodes"_s), (QStringList{u"161725"_s, odd, u"005827"_s}));
    QCOMPARE(quotes.queryItem(u"product"_s), u"EFund"_s);

    m_fixture.sim().clearRequests();
    const auto holdings = run(m_service.fetchHoldings(odd));
    QVERIFY2(holdings.value, qPrintable(holdings.describe()));
    QVERIFY(holdings.value->isEmpty()); // no fund of that code
    const RecordedRequest one = m_fixture.sim().requests().first();
    QCOMPARE(one.queryItem(u"FCODE"_s), odd);
    QCOMPARE(one.queryItem(u"product"_s), u"EFund"_s);
}

void TestFundService::fetchAllFansOut()
{
    const auto outcome = run(m_service.fetchAll(m_codes));
    QVERIFY2(outcome.value, qPrintable(outcome.describe()));
    QCOMPARE(outcome.value->size(), 3);
    for (qsizetype i = 0; i < 3; ++i) {
        const FundDetail& d = outcome.value->at(i);
        QCOMPARE(d.quote.code, m_codes[i]);
        QVERIFY(d.quote.nav > 0);
        QVERIFY(!d.holdings.isEmpty());
        QVERIFY(!d.estNav.has_value());
        QVERIFY(!d.estChangePct.has_value());
    }
    // One quotes request, then one holdings request per fund.
    const auto requests = m_fixture.sim().requests();
    QCOMPARE(requests.size(), 4);
    QCOMPARE(requests[0].path, u"/FundMNewApi/FundMNFInfo"_s);
    QStringList asked;
    for (qsizetype i = 1; i < requests.size(); ++i) {
        QCOMPARE(requests[i].path, u"/FundMNewApi/FundMNInverstPosition"_s);
        asked.append(requests[i].query.section(u'&', 0, 0));
    }
    asked.sort();
    QCOMPARE(asked, (QStringList{u"FCODE=005827"_s, u"FCODE=110011"_s, u"FCODE=161725"_s}));
}

void TestFundService::fetchAllSurvivesOneFailingHoldings_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::newRow("500") << Fault::status(500);
    QTest::newRow("dropped") << Fault::drop();
    QTest::newRow("not JSON") << Fault::malformed();
    QTest::newRow("error object") << Fault::body(
        200, R"({"Datas":null,"ErrCode":61101,"Success":false})");
}

void TestFundService::fetchAllSurvivesOneFailingHoldings()
{
    QFETCH(Fault, fault);
    m_fixture.sim().addFault(u"/FundMNewApi/FundMNInverstPosition"_s, fault, u"FCODE=110011"_s);
    const auto outcome = run(m_service.fetchAll(m_codes));
    QVERIFY2(outcome.value, qPrintable(outcome.describe()));
    QCOMPARE(outcome.value->size(), 3);
    QVERIFY(!outcome.value->at(0).holdings.isEmpty());
    QCOMPARE(outcome.value->at(1).quote.code, u"110011"_s);
    QVERIFY(outcome.value->at(1).holdings.isEmpty());
    QVERIFY(!outcome.value->at(2).holdings.isEmpty());
}

void TestFundService::fetchAllFailsWithItsQuotes()
{
    m_fixture.sim().addFault(u"/FundMNewApi/FundMNFInfo"_s, Fault::status(503));
    const auto outcome = run(m_service.fetchAll(m_codes));
    QVERIFY2(outcome.error, qPrintable(outcome.describe()));
    QCOMPARE(outcome.error->kind(), FetchError::Kind::badResponse);
    QCOMPARE(m_fixture.sim().requests().size(), 1); // no holdings asked for
}

void TestFundService::fetchAllKeepsTheAnswerOrder()
{
    // Three codes asked, two rows answered, in another order.
    m_fixture.sim().addFault(u"/FundMNewApi/FundMNFInfo"_s, Fault::body(200, R"({"Datas":[
        {"FCODE":"005827","SHORTNAME":"易方达蓝筹精选混合","NAV":"2.1034","NAVCHGRT":"0.85","PDATE":"2024-06-03"},
        {"FCODE":"161725","SHORTNAME":"招商中证白酒指数(LOF)A","NAV":"0.8123","NAVCHGRT":"-1.23","PDATE":"2024-06-03"}],
        "ErrCode":0,"Success":true})"));
    const auto outcome = run(m_service.fetchAll(m_codes));
    QVERIFY2(outcome.value, qPrintable(outcome.describe()));
    QCOMPARE(outcome.value->size(), 2);
    QCOMPARE(outcome.value->at(0).quote.code, u"005827"_s);
    QCOMPARE(outcome.value->at(0).quote.nav, 2.1034);
    QCOMPARE(outcome.value->at(1).quote.code, u"161725"_s);
    QCOMPARE(outcome.value->at(1).quote.navChangePct, -1.23);
    // Each detail carries its own fund's holdings.
    for (const FundDetail& d : *outcome.value) {
        const auto holdings = run(m_service.fetchHoldings(d.quote.code));
        QVERIFY(holdings.value);
        QCOMPARE(d.holdings.size(), holdings.value->size());
        for (qsizetype i = 0; i < d.holdings.size(); ++i)
            QCOMPARE(d.holdings[i].code, holdings.value->at(i).code);
    }
}

QTEST_GUILESS_MAIN(TestFundService)
#include "tst_fundservice.moc"
