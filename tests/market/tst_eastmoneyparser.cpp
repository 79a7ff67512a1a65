#include "TestJson.h"
#include "market/EastMoneyParser.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestEastMoneyParser : public QObject {
    Q_OBJECT
private slots:
    void parseSector_data();
    void parseSector();
    void parseStocks_data();
    void parseStocks();
};

void TestEastMoneyParser::parseSector_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("index");
    QTest::addColumn<double>("changePct");
    QTest::addColumn<double>("prevIndex");
    QTest::addColumn<double>("amount");

    QTest::newRow("full row with extra keys")
        << QByteArray(R"({"rc":0,"rt":11,"svr":181669434,"lt":1,"full":1,"data":{"total":1,"diff":[
             {"f1":2,"f2":1302.8,"f3":-0.63,"f6":5987570858.0,"f12":"BK0475","f13":90,"f14":"半导体","f18":1311.06}]}})")
        << true << u"BK0475"_s << u"半导体"_s << 1302.8 << -0.63 << 1311.06 << 5987570858.0;
    QTest::newRow("first of two rows")
        << QByteArray(
               R"({"data":{"diff":[{"f2":1,"f12":"BK0001","f14":"甲"},{"f2":2,"f12":"BK0002","f14":"乙"}]}})")
        << true << u"BK0001"_s << u"甲"_s << 1.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("placeholders read as zero")
        << QByteArray(
               R"({"data":{"diff":[{"f2":"-","f3":"-","f6":"-","f12":"BK0475","f18":"-"}]}})")
        << true << u"BK0475"_s << QString() << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("numeric texts are not numbers")
        << QByteArray(R"({"data":{"diff":[{"f2":"1302.8","f12":"BK0475","f14":null}]}})") << true
        << u"BK0475"_s << QString() << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("code as number is absent")
        << QByteArray(R"({"data":{"diff":[{"f2":3.5,"f12":475,"f14":"半导体"}]}})") << true
        << QString() << u"半导体"_s << 3.5 << 0.0 << 0.0 << 0.0;
    QTest::newRow("data null") << QByteArray(R"({"rc":0,"data":null})") << false << QString()
                               << QString() << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("data missing") << QByteArray(R"({"rc":102})") << false << QString() << QString()
                                  << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("diff empty") << QByteArray(R"({"data":{"total":0,"diff":[]}})") << false
                                << QString() << QString() << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("diff keyed object") << QByteArray(R"({"data":{"diff":{"0":{"f2":1}}}})") << false
                                       << QString() << QString() << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("diff with a null row")
        << QByteArray(R"({"data":{"diff":[{"f2":1},null]}})") << false << QString() << QString()
        << 0.0 << 0.0 << 0.0 << 0.0;
}

void TestEastMoneyParser::parseSector()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, present);
    const auto quote = EastMoneyParser::parseSector(jsonObject(json));
    QCOMPARE(quote.has_value(), present);
    if (!quote)
        return;
    QTEST(quote->code, "code");
    QTEST(quote->name, "name");
    QTEST(quote->index, "index");
    QTEST(quote->changePct, "changePct");
    QTEST(quote->prevIndex, "prevIndex");
    QTEST(quote->amount, "amount");
}

void TestEastMoneyParser::parseStocks_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<double>>("prices");
    QTest::addColumn<QList<double>>("changes");
    QTest::addColumn<QList<double>>("amounts");

    QTest::newRow("rows in provider order")
        << QByteArray(R"({"data":{"total":31,"diff":[
             {"f2":1258.99,"f3":0.63,"f6":5987570858.0,"f12":"600519","f14":"贵州茅台"},
             {"f2":158.2,"f3":-1.5,"f6":1200000000,"f12":"000568","f14":"泸州老窖","f100":"x"}]}})")
        << QStringList{u"600519"_s, u"000568"_s} << QStringList{u"贵州茅台"_s, u"泸州老窖"_s}
        << QList<double>{1258.99, 158.2} << QList<double>{0.63, -1.5}
        << QList<double>{5987570858.0, 1200000000.0};
    QTest::newRow("suspended stock keeps its row")
        << QByteArray(
               R"({"data":{"diff":[{"f2":"-","f3":"-","f6":"-","f12":"600000","f14":"浦发银行"}]}})")
        << QStringList{u"600000"_s} << QStringList{u"浦发银行"_s} << QList<double>{0}
        << QList<double>{0} << QList<double>{0};
    QTest::newRow("row of nothing")
        << QByteArray(R"({"data":{"diff":[{}]}})") << QStringList{QString()}
        << QStringList{QString()} << QList<double>{0} << QList<double>{0} << QList<double>{0};
    QTest::newRow("data null") << QByteArray(R"({"data":null})") << QStringList{} << QStringList{}
                               << QList<double>{} << QList<double>{} << QList<double>{};
    QTest::newRow("empty diff") << QByteArray(R"({"data":{"diff":[]}})") << QStringList{}
                                << QStringList{} << QList<double>{} << QList<double>{}
                                << QList<double>{};
    QTest::newRow("keyed diff without np=1")
        << QByteArray(R"({"data":{"diff":{"0":{"f12":"600519"}}}})") << QStringList{}
        << QStringList{} << QList<double>{} << QList<double>{} << QList<double>{};
}

void TestEastMoneyParser::parseStocks()
{
    QFETCH(QByteArray, json);
    QFETCH(QStringList, codes);
    QFETCH(QStringList, names);
    QFETCH(QList<double>, prices);
    QFETCH(QList<double>, changes);
    QFETCH(QList<double>, amounts);
    const QList<StockQuote> stocks = EastMoneyParser::parseStocks(jsonObject(json));
    QCOMPARE(stocks.size(), codes.size());
    for (qsizetype i = 0; i < stocks.size(); ++i) {
        QCOMPARE(stocks[i].code, codes[i]);
        QCOMPARE(stocks[i].name, names[i]);
        QCOMPARE(stocks[i].price, prices[i]);
        QCOMPARE(stocks[i].changePct, changes[i]);
        QCOMPARE(stocks[i].amount, amounts[i]);
    }
}

QTEST_GUILESS_MAIN(TestEastMoneyParser)
#include "tst_eastmoneyparser.moc"
