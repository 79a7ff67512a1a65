#include "SimFixture.h"
#include "market/GoldService.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestGoldService : public QObject {
    Q_OBJECT
private slots:
    void init() { m_fixture.reset(); }
    void requestAndHeaders();
    void readsTheFirstRow_data();
    void readsTheFirstRow();
    void liveAnswerOfTheProvider();

private:
    SimFixture m_fixture;
    const QDateTime m_readAt = QDateTime(QDate(2024, 6, 3), QTime(10, 15, 30));
    GoldService m_service{m_fixture.origin(), NetworkClient::defaultTimeout,
                          [this] { return m_readAt; }};
};

static const QString kPath = u"/api/qt/ulist.np/get"_s;

void TestGoldService::requestAndHeaders()
{
    const auto outcome = run(m_service.fetch());
    QVERIFY2(outcome.value, qPrintable(outcome.describe()));
    QCOMPARE(m_fixture.onlyRequest(),
             u"/api/qt/ulist.np/get?fltt=2&secids=113.aum&fields=f2,f3,f4,f5,f6,f12,f14,f15,f16,"
             "f17,f18"_s);
    const RecordedRequest request = m_fixture.sim().requests().first();
    QCOMPARE(request.header("User-Agent"), NetworkClient::defaultUA.toString().toUtf8());
    QCOMPARE(request.header("Referer"), QByteArray("https://quote.eastmoney.com/"));
}

void TestGoldService::readsTheFirstRow_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<QList<double>>("fields"); // price, prev, high, low, change

    QTest::newRow("full row")
        << QByteArray(
               R"({"rc":0,"data":{"total":1,"diff":[{"f2":612.35,"f3":0.63,"f4":3.83,"f5":1234,
             "f6":5.9e9,"f12":"aum","f13":113,"f14":"沪金2702","f15":615.0,"f16":608.12,"f17":609,"f18":608.52}]}})")
        << false << QList<double>{612.35, 608.52, 615.0, 608.12, 0.63};
    QTest::newRow("placeholders give zeros")
        << QByteArray(
               R"({"data":{"diff":[{"f2":"-","f3":"-","f15":"-","f16":"-","f18":"-","f12":"aum"}]}})")
        << false << QList<double>{0, 0, 0, 0, 0};
    QTest::newRow("second row ignored")
        << QByteArray(R"({"data":{"diff":[{"f2":1,"f18":2},{"f2":3,"f18":4}]}})") << false
        << QList<double>{1, 2, 0, 0, 0};
    QTest::newRow("empty diff") << QByteArray(R"({"data":{"total":0,"diff":[]}})") << true
                                << QList<double>{};
    QTest::newRow("data null") << QByteArray(R"({"rc":0,"data":null})") << true << QList<double>{};
    QTest::newRow("diff keyed") << QByteArray(R"({"data":{"diff":{"0":{"f2":1}}}})") << true
                                << QList<double>{};
}

void TestGoldService::readsTheFirstRow()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, fails);
    QFETCH(QList<double>, fields);
    m_fixture.sim().addFault(kPath, Fault::body(200, body));
    const auto outcome = run(m_service.fetch());
    if (fails) {
        QVERIFY2(outcome.error, qPrintable(outcome.describe()));
        QCOMPARE(outcome.error->kind(), FetchError::Kind::invalidData);
        QCOMPARE(outcome.error->tag(), u"沪金解析失败"_s);
        return;
    }
    QVERIFY2(outcome.value, qPrintable(outcome.describe()));
    const GoldQuote& q = *outcome.value;
    QCOMPARE((QList<double>{q.priceCNY, q.prevCNY, q.highCNY, q.lowCNY, q.changePct}), fields);
    // The quote carries the moment it was read.
    QCOMPARE(q.time, u"10:15:30"_s);
    QCOMPARE(q.date, u"2024-06-03"_s);
}

void TestGoldService::liveAnswerOfTheProvider()
{
    const auto outcome = run(m_service.fetch());
    QVERIFY2(outcome.value, qPrintable(outcome.describe()));
    QVERIFY(outcome.value->priceCNY > 100);
    QVERIFY(outcome.value->prevCNY > 100);
    QVERIFY(outcome.value->highCNY >= outcome.value->lowCNY);
}

QTEST_GUILESS_MAIN(TestGoldService)
#include "tst_goldservice.moc"
