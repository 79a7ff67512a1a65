#include "TestJson.h"
#include "market/FundParser.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestFundParser : public QObject {
    Q_OBJECT
private slots:
    void parseQuotes_data();
    void parseQuotes();
    void parseHoldings_data();
    void parseHoldings();
};

// Each accepted row written as "code|name|nav|change|date", the change
// followed by "?" when the provider gave none.
static QStringList describe(const QList<FundQuote>& quotes)
{
    QStringList rows;
    for (const FundQuote& q : quotes)
        rows.append(QStringList{
            q.code, q.name, QString::number(q.nav),
            QString::number(q.navChangePct) + (q.navChangeMissing ? u"?"_s : QString()), q.navDate}
                        .join(u'|'));
    return rows;
}

static QStringList describe(const QList<FundHolding>& holdings)
{
    QStringList rows;
    for (const FundHolding& h : holdings)
        rows.append(
            QStringList{h.code, h.name, QString::number(h.weight), QString::number(h.exchange)}
                .join(u'|'));
    return rows;
}

void TestFundParser::parseQuotes_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("live row")
        << QByteArray(
               R"({"Datas":[{"FCODE":"161725","SHORTNAME":"招商中证白酒指数(LOF)A","PDATE":"2024-06-03",
             "NAV":"0.8123","ACCNAV":"2.1456","NAVCHGRT":"-1.23","GSZ":null,"GSZZL":null,"GZTIME":null}],
             "ErrCode":0,"ErrMsg":null,"TotalCount":1,"Expansion":{"GZTIME":"--"},"Success":true})")
        << QStringList{u"161725|招商中证白酒指数(LOF)A|0.8123|-1.23|2024-06-03"_s};
    QTest::newRow("answer order, unknown code missing")
        << QByteArray(
               R"({"Datas":[{"FCODE":"005827","SHORTNAME":"乙","NAV":"2.5","NAVCHGRT":"0.5","PDATE":"2024-06-03"},
                                  {"FCODE":"161725","SHORTNAME":"甲","NAV":"1","NAVCHGRT":"1","PDATE":"2024-06-03"}]})")
        << QStringList{u"005827|乙|2.5|0.5|2024-06-03"_s, u"161725|甲|1|1|2024-06-03"_s};
    QTest::newRow("empty NAV skipped")
        << QByteArray(
               R"({"Datas":[{"FCODE":"1","SHORTNAME":"a","NAV":""},{"FCODE":"2","SHORTNAME":"b","NAV":"1.5"}]})")
        << QStringList{u"2|b|1.5|0?|"_s};
    QTest::newRow("placeholder NAV skipped")
        << QByteArray(R"({"Datas":[{"FCODE":"1","SHORTNAME":"a","NAV":"--"}]})") << QStringList{};
    QTest::newRow("numeric NAV is absent")
        << QByteArray(R"({"Datas":[{"FCODE":"1","SHORTNAME":"a","NAV":1.5}]})") << QStringList{};
    QTest::newRow("missing name skipped")
        << QByteArray(R"({"Datas":[{"FCODE":"1","SHORTNAME":null,"NAV":"1.5"}]})") << QStringList{};
    QTest::newRow("change placeholders are 0")
        << QByteArray(R"({"Datas":[{"FCODE":"1","SHORTNAME":"a","NAV":"1","NAVCHGRT":"--"},
                                  {"FCODE":"2","SHORTNAME":"b","NAV":"1","NAVCHGRT":""},
                                  {"FCODE":"3","SHORTNAME":"c","NAV":"1","NAVCHGRT":null},
                                  {"FCODE":"4","SHORTNAME":"d","NAV":"1","NAVCHGRT":-1.5}]})")
        << QStringList{u"1|a|1|0?|"_s, u"2|b|1|0?|"_s, u"3|c|1|0?|"_s, u"4|d|1|0?|"_s};
    QTest::newRow("date not a string")
        << QByteArray(R"({"Datas":[{"FCODE":"1","SHORTNAME":"a","NAV":"1","PDATE":20240603}]})")
        << QStringList{u"1|a|1|0?|"_s};
    QTest::newRow("Datas empty") << QByteArray(R"({"Datas":[],"ErrCode":0})") << QStringList{};
    QTest::newRow("Datas null") << QByteArray(R"({"Datas":null,"ErrCode":61101,"Success":false})")
                                << QStringList{};
    QTest::newRow("Datas has a null row")
        << QByteArray(R"({"Datas":[{"FCODE":"1","SHORTNAME":"a","NAV":"1"},null]})")
        << QStringList{};
}

void TestFundParser::parseQuotes()
{
    QFETCH(QByteArray, json);
    QFETCH(QStringList, rows);
    QCOMPARE(describe(FundParser::parseQuotes(jsonObject(json))), rows);
}

void TestFundParser::parseHoldings_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("three markets")
        << QByteArray(R"({"Datas":{"fundStocks":[
             {"GPDM":"600519","GPJC":"贵州茅台","JZBL":"15.23","TEXCH":"1","ISINVISBL":"0","NEWTEXCH":"1"},
             {"GPDM":"000568","GPJC":"泸州老窖","JZBL":"9.81","TEXCH":"2","NEWTEXCH":"0"},
             {"GPDM":"00700","GPJC":"腾讯控股","JZBL":"8.02","TEXCH":"5","NEWTEXCH":"116"}],
             "fundboods":[],"fundfofs":[],"ETFCODE":null},"ErrCode":0,"Success":true,"Expansion":"2024-03-31"})")
        << QStringList{u"600519|贵州茅台|15.23|1"_s, u"000568|泸州老窖|9.81|2"_s,
                       u"00700|腾讯控股|8.02|5"_s};
    QTest::newRow("market number forms")
        << QByteArray(R"({"Datas":{"fundStocks":[
             {"GPDM":"a","GPJC":"a","JZBL":"1","TEXCH":" 5x"},
             {"GPDM":"b","GPJC":"b","JZBL":"1"},
             {"GPDM":"c","GPJC":"c","JZBL":"1","TEXCH":1},
             {"GPDM":"d","GPJC":"d","JZBL":"1","TEXCH":"sh"},
             {"GPDM":"e","GPJC":"e","JZBL":"1","TEXCH":null}]}})")
        << QStringList{u"a|a|1|5"_s, u"b|b|1|0"_s, u"c|c|1|0"_s, u"d|d|1|0"_s, u"e|e|1|0"_s};
    QTest::newRow("unreadable weight skipped")
        << QByteArray(R"({"Datas":{"fundStocks":[{"GPDM":"a","GPJC":"a","JZBL":"--"},
             {"GPDM":"b","GPJC":"b","JZBL":9.5},{"GPDM":"c","GPJC":"c","JZBL":"2.5"}]}})")
        << QStringList{u"c|c|2.5|0"_s};
    QTest::newRow("bond fund") << QByteArray(
                                      R"({"Datas":{"fundStocks":[],"fundboods":[{"ZQDM":"1"}]}})")
                               << QStringList{};
    QTest::newRow("Datas null") << QByteArray(R"({"Datas":null})") << QStringList{};
    QTest::newRow("Datas an array") << QByteArray(R"({"Datas":[]})") << QStringList{};
    QTest::newRow("fundStocks null")
        << QByteArray(R"({"Datas":{"fundStocks":null}})") << QStringList{};
}

void TestFundParser::parseHoldings()
{
    QFETCH(QByteArray, json);
    QFETCH(QStringList, rows);
    QCOMPARE(describe(FundParser::parseHoldings(jsonObject(json))), rows);
}

QTEST_GUILESS_MAIN(TestFundParser)
#include "tst_fundparser.moc"
