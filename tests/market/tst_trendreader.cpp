#include "TestJson.h"
#include "market/FetchError.h"
#include "market/TrendReader.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestTrendReader : public QObject {
    Q_OBJECT
private slots:
    void parseLine_data();
    void parseLine();
    void read_data();
    void read();
};

void TestTrendReader::parseLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("time");
    QTest::addColumn<double>("price");
    QTest::addColumn<double>("volume");
    QTest::addColumn<double>("amount");
    QTest::addColumn<double>("average");

    QTest::newRow("eight fields") << u"2024-06-03 09:31,1.0,2.0,2.1,1.9,300,600.5,1.95"_s << true
                                  << u"2024-06-03 09:31"_s << 2.0 << 300.0 << 600.5 << 1.95;
    QTest::newRow("live gold line")
        << u"2024-06-03 21:01,565.00,565.20,565.30,564.90,1234,6980000.00,565.10"_s << true
        << u"2024-06-03 21:01"_s << 565.20 << 1234.0 << 6980000.0 << 565.10;
    QTest::newRow("extra trailing fields") << u"2024-06-03 09:31,1,2,3,4,5,6,7,8,9"_s << true
                                           << u"2024-06-03 09:31"_s << 2.0 << 5.0 << 6.0 << 7.0;
    QTest::newRow("seven fields") << u"2024-06-03 09:31,1.0,2.0,2.1,1.9,300,600.5"_s << false
                                  << QString() << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("hyphen average") << u"2024-06-03 09:31,1.0,2.0,2.1,1.9,300,600.5,-"_s << false
                                    << QString() << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("doubled comma shifts left")
        << u"2024-06-03 09:31,,1.0,2.0,2.1,1.9,300,600.5,1.95"_s << true << u"2024-06-03 09:31"_s
        << 2.0 << 300.0 << 600.5 << 1.95;
    QTest::newRow("doubled comma leaves seven") << u"2024-06-03 09:31,1.0,,2.1,1.9,300,600.5,1.95"_s
                                                << false << QString() << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("leading and trailing commas")
        << u",2024-06-03 09:31,1.0,2.0,2.1,1.9,300,600.5,1.95,"_s << true << u"2024-06-03 09:31"_s
        << 2.0 << 300.0 << 600.5 << 1.95;
    QTest::newRow("blank in price") << u"2024-06-03 09:31,1.0, 2.0,2.1,1.9,300,600.5,1.95"_s
                                    << false << QString() << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("unused fields may be junk")
        << u"2024-06-03 09:31,x,2.0,y,z,300,600.5,1.95"_s << true << u"2024-06-03 09:31"_s << 2.0
        << 300.0 << 600.5 << 1.95;
    QTest::newRow("volume with text") << u"2024-06-03 09:31,1,2,3,4,300手,6,7"_s << false
                                      << QString() << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("empty line") << QString() << false << QString() << 0.0 << 0.0 << 0.0 << 0.0;
}

void TestTrendReader::parseLine()
{
    QFETCH(QString, line);
    QFETCH(bool, accepted);
    const auto point = TrendReader::parseLine(line);
    QCOMPARE(point.has_value(), accepted);
    if (!point)
        return;
    QTEST(point->time, "time");
    QTEST(point->price, "price");
    QTEST(point->volume, "volume");
    QTEST(point->amount, "amount");
    QTEST(point->avgPrice, "average");
}

void TestTrendReader::read_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<double>("preClose");
    QTest::addColumn<QStringList>("times");

    QTest::newRow("two good lines, one bad")
        << QByteArray(
               R"({"rc":0,"data":{"code":"BK0475","preClose":1311.06,"trendsTotal":3,"trends":[
             "2024-06-03 09:30,1,1311.5,1,1,10,100,1311.5",
             "2024-06-03 09:31,1,-,1,1,10,100,1311.5",
             "2024-06-03 09:32,1,1312.0,1,1,10,100,1311.7"]}})")
        << false << 1311.06 << QStringList{u"2024-06-03 09:30"_s, u"2024-06-03 09:32"_s};
    QTest::newRow("empty trends is valid")
        << QByteArray(R"({"data":{"preClose":5,"trends":[]}})") << false << 5.0 << QStringList{};
    QTest::newRow("delivered order kept")
        << QByteArray(
               R"({"data":{"preClose":1,"trends":["2024-06-03 09:32,1,1,1,1,1,1,1","2024-06-03 09:31,1,1,1,1,1,1,1"]}})")
        << false << 1.0 << QStringList{u"2024-06-03 09:32"_s, u"2024-06-03 09:31"_s};
    QTest::newRow("data null") << QByteArray(R"({"data":null})") << true << 0.0 << QStringList{};
    QTest::newRow("preClose as text") << QByteArray(R"({"data":{"preClose":"565.02","trends":[]}})")
                                      << true << 0.0 << QStringList{};
    QTest::newRow("preClose missing")
        << QByteArray(R"({"data":{"trends":[]}})") << true << 0.0 << QStringList{};
    QTest::newRow("trends null") << QByteArray(R"({"data":{"preClose":1,"trends":null}})") << true
                                 << 0.0 << QStringList{};
    QTest::newRow("non-string line spoils the array")
        << QByteArray(R"({"data":{"preClose":1,"trends":["2024-06-03 09:31,1,1,1,1,1,1,1",7]}})")
        << true << 0.0 << QStringList{};
}

void TestTrendReader::read()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, fails);
    const QString tag = u"分时线解析失败"_s;
    try {
        const TrendReader::Trend trend = TrendReader::read(jsonObject(json), tag);
        QVERIFY2(!fails, "expected invalidData");
        QTEST(trend.preClose, "preClose");
        QStringList times;
        for (const TrendPoint& p : trend.points)
            times.append(p.time);
        QTEST(times, "times");
    } catch (const FetchError& error) {
        QVERIFY2(fails, error.what());
        QCOMPARE(error.kind(), FetchError::Kind::invalidData);
        QCOMPARE(error.tag(), tag);
    }
}

QTEST_GUILESS_MAIN(TestTrendReader)
#include "tst_trendreader.moc"
