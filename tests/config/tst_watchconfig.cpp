#include "config/Holdings.h"
#include "config/WatchConfig.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestWatchConfig : public QObject {
    Q_OBJECT
private slots:
    void storedForm_data();
    void storedForm();
    void decoding_data();
    void decoding();
    void holdingsForm_data();
    void holdingsForm();
    void holdingsDecoding_data();
    void holdingsDecoding();
};

static const QByteArray kDefaultForm =
    R"({"sectors":[{"code":"BK0475","name":"半导体"},{"code":"BK0547","name":"黄金概念"},)"
    R"({"code":"BK1128","name":"CPO概念"}],"funds":[{"code":"161725","name":"招商中证白酒指数C"},)"
    R"({"code":"110011","name":"易方达蓝筹精选"},{"code":"005827","name":"易方达蓝筹精选C"}]})";

void TestWatchConfig::storedForm_data()
{
    QTest::addColumn<QByteArray>("form");
    QTest::addColumn<QByteArray>("written"); // empty: the program writes `form` itself

    WatchConfig withSource{
        .sectors = {{u"BK0547"_s, u"黄金概念"_s}}, .funds = {}, .statusBarSource = u"BK0547"_s};
    WatchConfig awkward{.sectors = {{u"BK\"1"_s, u"a\\b/c\n"_s}},
                        .funds = {{u""_s, u""_s}},
                        .statusBarSource = std::nullopt};
    // Text as a look-up may deliver it, with half a surrogate pair.
    WatchConfig halfPair{.sectors = {{u"\xDE00"_s, u""_s}}, .funds = {}, .statusBarSource = {}};
    QTest::newRow("default, no figure source")
        << kDefaultForm << WatchConfig::defaultConfig().toJson();
    QTest::newRow("with a figure source")
        << QByteArray(
               R"({"sectors":[{"code":"BK0547","name":"黄金概念"}],"funds":[],"statusBarSource":"BK0547"})")
        << withSource.toJson();
    QTest::newRow("escapes")
        << QByteArray(
               R"({"sectors":[{"code":"BK\"1","name":"a\\b/c\n"}],"funds":[{"code":"","name":""}]})")
        << awkward.toJson();
    QTest::newRow("half a surrogate pair")
        << QByteArray(R"({"sectors":[{"code":"\ude00","name":""}],"funds":[]})")
        << halfPair.toJson();
}

void TestWatchConfig::storedForm()
{
    QFETCH(QByteArray, form);
    QFETCH(QByteArray, written);
    QCOMPARE(written, form);
    // And the form reads back to a record that writes the same bytes.
    const auto decoded = WatchConfig::fromJson(form);
    QVERIFY(decoded);
    QCOMPARE(decoded->toJson(), form);
}

void TestWatchConfig::decoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<int>("sectors");
    QTest::addColumn<QString>("source"); // null = absent

    QTest::newRow("default form") << kDefaultForm << true << 3 << QString();
    QTest::newRow("source null") << QByteArray(
                                        R"({"sectors":[],"funds":[],"statusBarSource":null})")
                                 << true << 0 << QString();
    QTest::newRow("source set")
        << QByteArray(
               R"({"statusBarSource":"BK1128","funds":[],"sectors":[{"code":"BK1128","name":"CPO概念"}]})")
        << true << 1 << u"BK1128"_s;
    QTest::newRow("unknown keys ignored")
        << QByteArray(R"({"sectors":[{"code":"a","name":"b","color":1}],"funds":[],"version":2})")
        << true << 1 << QString();
    QTest::newRow("no funds") << QByteArray(R"({"sectors":[{"code":"BK0475","name":"半导体"}]})")
                              << false << 0 << QString();
    QTest::newRow("no sectors") << QByteArray(R"({"funds":[]})") << false << 0 << QString();
    QTest::newRow("funds null") << QByteArray(R"({"sectors":[],"funds":null})") << false << 0
                                << QString();
    QTest::newRow("entry without name")
        << QByteArray(R"({"sectors":[{"code":"a"}],"funds":[]})") << false << 0 << QString();
    QTest::newRow("numeric code") << QByteArray(
                                         R"({"sectors":[],"funds":[{"code":161725,"name":"x"}]})")
                                  << false << 0 << QString();
    QTest::newRow("source a number")
        << QByteArray(R"({"sectors":[],"funds":[],"statusBarSource":5})") << false << 0
        << QString();
    QTest::newRow("array") << QByteArray("[]") << false << 0 << QString();
    QTest::newRow("truncated") << kDefaultForm.left(40) << false << 0 << QString();
    QTest::newRow("empty") << QByteArray() << false << 0 << QString();
}

void TestWatchConfig::decoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, readable);
    QFETCH(int, sectors);
    QFETCH(QString, source);
    const auto config = WatchConfig::fromJson(bytes);
    QCOMPARE(config.has_value(), readable);
    if (!config)
        return;
    QCOMPARE(config->sectors.size(), sectors);
    QCOMPARE(config->statusBarSource.has_value(), !source.isNull());
    if (config->statusBarSource)
        QCOMPARE(*config->statusBarSource, source);
}

// The user's holdings, stored beside the watch list.
void TestWatchConfig::holdingsForm_data()
{
    QTest::addColumn<QByteArray>("form");
    QTest::addColumn<QByteArray>("written");

    const auto units = [](qint64 whole, qint64 tenThousandths = 0) {
        return whole * 10'000 + tenThousandths;
    };
    Holdings some;
    some.funds.insert(u"161725"_s, {.quantity = units(10000, 5000), .cost = units(0, 9512)});
    some.funds.insert(u"005827"_s, {.quantity = units(500), .cost = std::nullopt});
    some.gold = Profit::Position{.quantity = units(20, 1234), .cost = units(480)};
    some.hideAmounts = true;
    Holdings halfPair;
    halfPair.funds.insert(u"\xDE00"_s, {.quantity = 0, .cost = 0});
    QTest::newRow("nothing held") << QByteArray(R"({"v":1,"funds":{},"hideAmounts":false})")
                                  << Holdings{}.toJson();
    QTest::newRow("funds in code order, gold, amounts hidden")
        << QByteArray(R"({"v":1,"funds":{"005827":{"shares":"500.00"},)"
                      R"("161725":{"shares":"10000.50","cost":"0.9512"}},)"
                      R"("gold":{"grams":"20.1234","cost":"480.0000"},"hideAmounts":true})")
        << some.toJson();
    QTest::newRow("half a surrogate pair")
        << QByteArray(
               R"({"v":1,"funds":{"\ude00":{"shares":"0.00","cost":"0.0000"}},"hideAmounts":false})")
        << halfPair.toJson();
}

void TestWatchConfig::holdingsForm()
{
    QFETCH(QByteArray, form);
    QFETCH(QByteArray, written);
    QCOMPARE(written, form);
    const auto decoded = Holdings::fromJson(form);
    QVERIFY(decoded);
    QCOMPARE(decoded->toJson(), form);
}

void TestWatchConfig::holdingsDecoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("read"); // "funds gold hidden", or empty: unreadable

    const auto fund = [](const char* position) {
        return QByteArray(R"({"v":1,"funds":{"161725":)") + position + "}}";
    };
    QTest::newRow("shares only") << fund(R"({"shares":"1"})") << u"1 - shown"_s;
    QTest::newRow("a cost") << fund(R"({"shares":"1.5","cost":"0.95"})") << u"1 - shown"_s;
    QTest::newRow("gold, hidden")
        << QByteArray(R"({"v":1,"funds":{},"gold":{"grams":"3.1415"},"hideAmounts":true})")
        << u"0 gold hidden"_s;
    QTest::newRow("unknown keys ignored")
        << QByteArray(R"({"v":1,"funds":{"1":{"shares":"1","note":2}},"extra":[]})")
        << u"1 - shown"_s;
    QTest::newRow("another version") << QByteArray(R"({"v":2,"funds":{}})") << QString();
    QTest::newRow("no version") << QByteArray(R"({"funds":{}})") << QString();
    QTest::newRow("funds a list") << QByteArray(R"({"v":1,"funds":[]})") << QString();
    QTest::newRow("shares a number") << fund(R"({"shares":1})") << QString();
    QTest::newRow("shares negative") << fund(R"({"shares":"-1"})") << QString();
    QTest::newRow("shares with three decimals") << fund(R"({"shares":"1.005"})") << QString();
    QTest::newRow("shares typed, not stored") << fund(R"({"shares":"1,000"})") << QString();
    QTest::newRow("shares empty") << fund(R"({"shares":""})") << QString();
    QTest::newRow("shares past the bound") << fund(R"({"shares":"10000000000"})") << QString();
    QTest::newRow("no shares") << fund(R"({"cost":"1"})") << QString();
    QTest::newRow("cost null") << fund(R"({"shares":"1","cost":null})") << QString();
    QTest::newRow("cost with five decimals")
        << fund(R"({"shares":"1","cost":"0.12345"})") << QString();
    QTest::newRow("gold null") << QByteArray(R"({"v":1,"funds":{},"gold":null})") << QString();
    QTest::newRow("switch not a boolean")
        << QByteArray(R"({"v":1,"funds":{},"hideAmounts":1})") << QString();
    QTest::newRow("truncated") << fund(R"({"shares":"1"})").chopped(1) << QString();
}

void TestWatchConfig::holdingsDecoding()
{
    QFETCH(QByteArray, bytes);
    const auto holdings = Holdings::fromJson(bytes);
    const QString read = holdings ? u"%1 %2 %3"_s.arg(holdings->funds.size())
                                        .arg(holdings->gold ? u"gold"_s : u"-"_s,
                                             holdings->hideAmounts ? u"hidden"_s : u"shown"_s)
                                  : QString();
    QTEST(read, "read");
}

QTEST_GUILESS_MAIN(TestWatchConfig)
#include "tst_watchconfig.moc"
