#include "SimFixture.h"
#include "market/LookupService.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestLookupService : public QObject {
    Q_OBJECT
private slots:
    void init() { m_fixture.reset(); }
    void normalize_data();
    void normalize();
    void sectorName_data();
    void sectorName();
    void fundName_data();
    void fundName();
    void typedTextStaysInsideItsParameter();

private:
    SimFixture m_fixture;
    LookupService m_service{m_fixture.origin(), m_fixture.origin(),
                            stallTimeout(std::chrono::milliseconds(500))};
};

// A zero delay changes nothing: the provider answers as it would.
static const Fault kNone = Fault::delay(0);

void TestLookupService::normalize_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("board");
    QTest::addColumn<QString>("fund");
    // A whole code is looked up; anything else is searched for.
    QTest::addColumn<bool>("wholeBoard");
    QTest::addColumn<bool>("wholeFund");
    QTest::newRow("lower case with blanks")
        << u"  bk0475\t"_s << u"BK0475"_s << u"bk0475"_s << true << false;
    QTest::newRow("full-width space")
        << u"\u3000161725 "_s << u"161725"_s << u"161725"_s << false << true;
    QTest::newRow("inner blank kept")
        << u"bk 0475"_s << u"BK 0475"_s << u"bk 0475"_s << false << false;
    QTest::newRow("part of a code") << u"bk047"_s << u"BK047"_s << u"bk047"_s << false << false;
    QTest::newRow("a digit too many")
        << u"1617250"_s << u"1617250"_s << u"1617250"_s << false << false;
    QTest::newRow("full-width digits")
        << u"１６１７２５"_s << u"１６１７２５"_s << u"１６１７２５"_s << false << false;
    QTest::newRow("only blanks") << u" \t "_s << QString() << QString() << false << false;
    QTest::newRow("empty") << QString() << QString() << QString() << false << false;
}

void TestLookupService::normalize()
{
    QFETCH(QString, typed);
    QTEST(LookupService::normalizeSectorCode(typed), "board");
    QTEST(LookupService::normalizeFundCode(typed), "fund");
    QTEST(LookupService::isCompleteSectorCode(LookupService::normalizeSectorCode(typed)),
          "wholeBoard");
    QTEST(LookupService::isCompleteFundCode(LookupService::normalizeFundCode(typed)), "wholeFund");
}

void TestLookupService::sectorName_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<Fault>("fault");  // the provider's own answer: none
    QTest::addColumn<QString>("name"); // null: not found
    QTest::newRow("known board") << u"BK0547"_s << kNone << u"黄金概念"_s;
    QTest::newRow("unknown board") << u"BK9999"_s << kNone << QString();
    QTest::newRow("time-out") << u"BK0475"_s << Fault::stall() << QString();
    QTest::newRow("server error") << u"BK0475"_s << Fault::status(500) << QString();
    QTest::newRow("name not a string")
        << u"BK0475"_s << Fault::body(200, R"({"data":{"diff":[{"f12":"BK0475","f14":7}]}})")
        << QString();
    QTest::newRow("empty name counts as found")
        << u"BK0475"_s << Fault::body(200, R"({"data":{"diff":[{"f12":"BK0475","f14":""}]}})")
        << u""_s;
}

void TestLookupService::sectorName()
{
    QFETCH(QString, code);
    QFETCH(Fault, fault);
    QFETCH(QString, name);
    m_fixture.sim().addFault(u"/api/qt/ulist.np/get"_s, fault);
    const auto outcome = run(m_service.sectorName(code));
    QVERIFY2(outcome.value, "a look-up never fails");
    QCOMPARE(outcome.value->has_value(), !name.isNull());
    if (outcome.value->has_value())
        QCOMPARE(**outcome.value, name);
    const RecordedRequest request = m_fixture.sim().requests().first();
    QCOMPARE(request.path + u'?' + request.query,
             u"/api/qt/ulist.np/get?fltt=2&secids=90."_s + code + u"&fields=f12,f14"_s);
    QCOMPARE(request.header("Referer"), QByteArray("https://quote.eastmoney.com/"));
}

void TestLookupService::fundName_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("name");
    QTest::newRow("known fund") << u"005827"_s << kNone << u"易方达蓝筹精选混合"_s;
    QTest::newRow("empty Datas") << u"999999"_s << kNone << QString();
    QTest::newRow("dropped") << u"005827"_s << Fault::drop() << QString();
}

void TestLookupService::fundName()
{
    QFETCH(QString, code);
    QFETCH(Fault, fault);
    QFETCH(QString, name);
    m_fixture.sim().addFault(u"/FundMNewApi/FundMNFInfo"_s, fault);
    const auto outcome = run(m_service.fundName(code));
    QVERIFY(outcome.value);
    QCOMPARE(outcome.value->value_or(QString()), name.isNull() ? QString() : name);
    QCOMPARE(outcome.value->has_value(), !name.isNull());
    const RecordedRequest request = m_fixture.sim().requests().last();
    QCOMPARE(request.path + u'?' + request.query,
             u"/FundMNewApi/FundMNFInfo?pageIndex=1&pageSize=1&Fcodes="_s + code +
                 u"&deviceid=Wap&plat=Wap&product=EFund&version=6.2.8"_s);
    QCOMPARE(request.header("User-Agent"),
             QByteArray("Mozilla/5.0 (iPhone; CPU iPhone OS 16_0 like Mac OS X)"));
    QCOMPARE(request.header("Referer"), QByteArray("https://mpservice.com/"));
}

void TestLookupService::typedTextStaysInsideItsParameter()
{
    // "&fields=f2" typed into the field must not become a parameter.
    const auto outcome = run(m_service.sectorName(u"BK0475&fields=f2#x"_s));
    QVERIFY(outcome.value && !outcome.value->has_value());
    const RecordedRequest request = m_fixture.sim().requests().first();
    QCOMPARE(request.queryItem(u"secids"_s), u"90.BK0475&fields=f2#x"_s);
    QCOMPARE(request.queryItem(u"fields"_s), u"f12,f14"_s);
}

QTEST_GUILESS_MAIN(TestLookupService)
#include "tst_lookupservice.moc"
