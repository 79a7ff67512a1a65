#include "TestJson.h"
#include "market/EastMoneyParser.h"
#include "market/LastGood.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestEastMoneyParser : public QObject {
    Q_OBJECT
private slots:
    void parseSector_data();
    void parseSector();
    void parseStocks_data();
    void parseStocks();
    void keepsTheLastGoodFigures_data();
    void keepsTheLastGoodFigures();
};

namespace {

// A record's figures on one line, "--" for each the provider did not have.
QString figures(std::initializer_list<std::optional<double>> values)
{
    QStringList parts;
    for (const auto& v : values)
        parts.append(v ? QString::number(*v, 'g', 12) : u"--"_s);
    return parts.join(u' ');
}

QString describe(const SectorQuote& q)
{
    return q.code + u' ' + figures({q.index, q.changePct, q.prevIndex, q.amount});
}

QString describe(const StockQuote& q)
{
    return q.code + u' ' + figures({q.price, q.changePct, q.amount});
}

QByteArray answer(const QByteArray& rows)
{
    return R"({"rc":0,"data":{"total":1,"diff":[)" + rows + "]}}";
}

} // namespace

void TestEastMoneyParser::parseSector_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("figures"); // index, change, previous close, turnover

    QTest::newRow("full row with extra keys")
        << QByteArray(R"({"rc":0,"rt":11,"svr":181669434,"lt":1,"full":1,"data":{"total":1,"diff":[
             {"f1":2,"f2":1302.8,"f3":-0.63,"f6":5987570858.0,"f12":"BK0475","f13":90,"f14":"半导体","f18":1311.06}]}})")
        << true << u"BK0475"_s << u"半导体"_s << u"1302.8 -0.63 1311.06 5987570858"_s;
    QTest::newRow("first of two rows")
        << QByteArray(
               R"({"data":{"diff":[{"f2":1,"f12":"BK0001","f14":"甲"},{"f2":2,"f12":"BK0002","f14":"乙"}]}})")
        << true << u"BK0001"_s << u"甲"_s << u"1 -- -- --"_s;
    QTest::newRow("placeholders are absent, not zero")
        << QByteArray(
               R"({"data":{"diff":[{"f2":"-","f3":"-","f6":"-","f12":"BK0475","f18":"-"}]}})")
        << true << u"BK0475"_s << QString() << u"-- -- -- --"_s;
    QTest::newRow("every spelling of a placeholder")
        << QByteArray(
               R"({"data":{"diff":[{"f2":"--","f3":"","f6":null,"f12":"BK0475","f18":"-"}]}})")
        << true << u"BK0475"_s << QString() << u"-- -- -- --"_s;
    QTest::newRow("a zero is a figure")
        << QByteArray(R"({"data":{"diff":[{"f2":0,"f3":0,"f6":0,"f12":"BK0475","f18":0}]}})")
        << true << u"BK0475"_s << QString() << u"0 0 0 0"_s;
    QTest::newRow("numeric texts are not numbers")
        << QByteArray(R"({"data":{"diff":[{"f2":"1302.8","f12":"BK0475","f14":null}]}})") << true
        << u"BK0475"_s << QString() << u"-- -- -- --"_s;
    QTest::newRow("code as number is absent")
        << QByteArray(R"({"data":{"diff":[{"f2":3.5,"f12":475,"f14":"半导体"}]}})") << true
        << QString() << u"半导体"_s << u"3.5 -- -- --"_s;
    QTest::newRow("data null") << QByteArray(R"({"rc":0,"data":null})") << false << QString()
                               << QString() << QString();
    QTest::newRow("data missing") << QByteArray(R"({"rc":102})") << false << QString() << QString()
                                  << QString();
    QTest::newRow("diff empty") << QByteArray(R"({"data":{"total":0,"diff":[]}})") << false
                                << QString() << QString() << QString();
    QTest::newRow("diff keyed object") << QByteArray(R"({"data":{"diff":{"0":{"f2":1}}}})") << false
                                       << QString() << QString() << QString();
    QTest::newRow("diff with a null row") << QByteArray(R"({"data":{"diff":[{"f2":1},null]}})")
                                          << false << QString() << QString() << QString();
}

void TestEastMoneyParser::parseSector()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, present);
    QFETCH(QString, code);
    QFETCH(QString, figures);
    const auto quote = EastMoneyParser::parseSector(jsonObject(json));
    QCOMPARE(quote.has_value(), present);
    if (!quote)
        return;
    QTEST(quote->code, "code");
    QTEST(quote->name, "name");
    QCOMPARE(describe(*quote), code + u' ' + figures);
}

void TestEastMoneyParser::parseStocks_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("stocks"); // code, price, change, turnover

    QTest::newRow("rows in provider order")
        << QByteArray(R"({"data":{"total":31,"diff":[
             {"f2":1258.99,"f3":0.63,"f6":5987570858.0,"f12":"600519","f14":"贵州茅台"},
             {"f2":158.2,"f3":-1.5,"f6":1200000000,"f12":"000568","f14":"泸州老窖","f100":"x"}]}})")
        << QStringList{u"贵州茅台"_s, u"泸州老窖"_s}
        << QStringList{u"600519 1258.99 0.63 5987570858"_s, u"000568 158.2 -1.5 1200000000"_s};
    QTest::newRow("suspended stock keeps its row, without figures")
        << QByteArray(
               R"({"data":{"diff":[{"f2":"-","f3":"-","f6":"-","f12":"600000","f14":"浦发银行"}]}})")
        << QStringList{u"浦发银行"_s} << QStringList{u"600000 -- -- --"_s};
    QTest::newRow("flat stock is a figure")
        << QByteArray(R"({"data":{"diff":[{"f2":9.5,"f3":0,"f6":"-","f12":"600000"}]}})")
        << QStringList{QString()} << QStringList{u"600000 9.5 0 --"_s};
    QTest::newRow("row of nothing") << QByteArray(R"({"data":{"diff":[{}]}})")
                                    << QStringList{QString()} << QStringList{u" -- -- --"_s};
    QTest::newRow("data null") << QByteArray(R"({"data":null})") << QStringList{} << QStringList{};
    QTest::newRow("empty diff") << QByteArray(R"({"data":{"diff":[]}})") << QStringList{}
                                << QStringList{};
    QTest::newRow("keyed diff without np=1")
        << QByteArray(R"({"data":{"diff":{"0":{"f12":"600519"}}}})") << QStringList{}
        << QStringList{};
}

void TestEastMoneyParser::parseStocks()
{
    QFETCH(QByteArray, json);
    QFETCH(QStringList, names);
    const QList<StockQuote> stocks = EastMoneyParser::parseStocks(jsonObject(json));
    QStringList actualNames;
    QStringList actual;
    for (const StockQuote& s : stocks) {
        actualNames.append(s.name);
        actual.append(describe(s));
    }
    QCOMPARE(actualNames, names);
    QTEST(actual, "stocks");
}

// Two answers in a row, the second merged onto the first as the controller
// publishes them: each figure the second lacks keeps the first one's value.
void TestEastMoneyParser::keepsTheLastGoodFigures_data()
{
    QTest::addColumn<QString>("kind"); // "board", "overview" or "stocks"
    QTest::addColumn<QByteArray>("last");
    QTest::addColumn<QByteArray>("fresh");
    QTest::addColumn<QStringList>("published");

    const QByteArray board =
        R"({"f2":1302.8,"f3":-0.63,"f6":5987570858.0,"f12":"BK0475","f18":1311.06})";
    QTest::newRow("board: placeholders keep every figure")
        << u"board"_s << answer(board)
        << answer(R"({"f2":"-","f3":"-","f6":"-","f12":"BK0475","f18":"-"})")
        << QStringList{u"BK0475 1302.8 -0.63 1311.06 5987570858"_s};
    QTest::newRow("board: figure by figure")
        << u"board"_s << answer(board)
        << answer(R"({"f2":1300.5,"f3":"--","f6":null,"f12":"BK0475","f18":1311.06})")
        << QStringList{u"BK0475 1300.5 -0.63 1311.06 5987570858"_s};
    QTest::newRow("board: a zero is news")
        << u"board"_s << answer(board)
        << answer(R"({"f2":1311.06,"f3":0,"f6":"-","f12":"BK0475","f18":1311.06})")
        << QStringList{u"BK0475 1311.06 0 1311.06 5987570858"_s};
    QTest::newRow("board: none before")
        << u"board"_s << QByteArray()
        << answer(R"({"f2":"-","f3":"-","f12":"BK0475","f18":1311.06})")
        << QStringList{u"BK0475 -- -- 1311.06 --"_s};
    QTest::newRow("board: another board's figures are not borrowed")
        << u"board"_s << answer(board)
        << answer(R"({"f2":"-","f3":"-","f6":"-","f12":"BK1128","f18":"-"})")
        << QStringList{u"BK1128 -- -- -- --"_s};
    QTest::newRow("overview: matched by code, in the new order")
        << u"overview"_s
        << answer(R"({"f2":1000,"f3":1.5,"f12":"BK0001"},{"f2":2000,"f3":-2.5,"f12":"BK0002"},
                     {"f2":3000,"f3":0.5,"f12":"BK0003"})")
        << answer(R"({"f2":"-","f3":"-","f12":"BK0002"},{"f2":"-","f3":"-","f12":"BK0009"},
                     {"f2":1010,"f3":"-","f12":"BK0001"})")
        << QStringList{u"BK0002 2000 -2.5 -- --"_s, u"BK0009 -- -- -- --"_s,
                       u"BK0001 1010 1.5 -- --"_s};
    QTest::newRow("overview: rows without a code are never matched")
        << u"overview"_s << answer(R"({"f2":1000,"f3":1.5})") << answer(R"({"f2":"-","f3":"-"})")
        << QStringList{u" -- -- -- --"_s};
    QTest::newRow("stocks: a suspended stock keeps its last figures")
        << u"stocks"_s << answer(R"({"f2":1258.99,"f3":0.63,"f6":5987570858.0,"f12":"600519"},
                     {"f2":158.2,"f3":-1.5,"f6":1200000000,"f12":"000568"})")
        << answer(R"({"f2":1260,"f3":0.72,"f6":6000000000,"f12":"600519"},
                     {"f2":"-","f3":"-","f6":"-","f12":"000568"},
                     {"f2":"-","f3":"-","f6":"-","f12":"600000"})")
        << QStringList{u"600519 1260 0.72 6000000000"_s, u"000568 158.2 -1.5 1200000000"_s,
                       u"600000 -- -- --"_s};
}

void TestEastMoneyParser::keepsTheLastGoodFigures()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, last);
    QFETCH(QByteArray, fresh);
    const QJsonObject before = last.isEmpty() ? QJsonObject() : jsonObject(last);
    const QJsonObject now = jsonObject(fresh);
    auto overview = [](const QJsonObject& json) {
        QList<SectorQuote> quotes;
        for (const QJsonObject& row : EastMoneyParser::rows(json).value_or(QList<QJsonObject>{}))
            quotes.append(EastMoneyParser::sectorRow(row));
        return quotes;
    };

    QStringList published;
    if (kind == u"board"_s) {
        const auto quote = EastMoneyParser::parseSector(now);
        QVERIFY(quote);
        published.append(describe(LastGood::merge(*quote, EastMoneyParser::parseSector(before))));
    } else if (kind == u"overview"_s) {
        for (const SectorQuote& q : LastGood::merge(overview(now), overview(before)))
            published.append(describe(q));
    } else {
        const auto stocks = LastGood::merge(EastMoneyParser::parseStocks(now),
                                            EastMoneyParser::parseStocks(before));
        for (const StockQuote& s : stocks)
            published.append(describe(s));
    }
    QTEST(published, "published");
}

QTEST_GUILESS_MAIN(TestEastMoneyParser)
#include "tst_eastmoneyparser.moc"
