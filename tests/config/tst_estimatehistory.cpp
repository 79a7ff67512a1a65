#include "PreferencesSandbox.h"
#include "config/EstimateHistory.h"

#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace {

QDateTime shanghai(int day, int h, int m)
{
    return QDateTime(QDate(2024, 6, day), QTime(h, m), QTimeZone("Asia/Shanghai"));
}

FundDetail fund(const QString& code, const QString& navDate, double navChange, double estimate)
{
    FundDetail d;
    d.quote = FundQuote{.code = code,
                        .name = code,
                        .nav = 1.0,
                        .navChangePct = navChange,
                        .navDate = navDate,
                        .navChangeMissing = false};
    d.estChangePct = estimate;
    d.estNav = 1.0 + estimate / 100.0;
    return d;
}

QByteArray stored(const QString& key = EstimateHistory::key)
{
    return rawSettings().value(key).toByteArray();
}

// A record as the program writes it: one settled day and one open day.
const QByteArray kRecord =
    R"({"v":1,"funds":{"161725":[["2024-06-03","2024-06-03T15:30:00+08:00",1.0380175159235667,1.0103801751592356,1],)"
    R"(["2024-06-04","2024-06-04T15:30:00+08:00",0.25,1.0025]]}})";

} // namespace

class TestEstimateHistory : public QObject {
    Q_OBJECT
private slots:
    void init() { clearPreferences(); }
    void storedForm();
    void unreadable_data();
    void unreadable();
    void damagedRecordIsKeptAside();
    void forgetsFundsNoLongerWatched();
};

void TestEstimateHistory::storedForm()
{
    const auto record = EstimateHistory::decode(kRecord);
    QVERIFY(record);
    const QList<EstimateDay> days = record->value(u"161725"_s);
    QCOMPARE(days.size(), 2);
    QCOMPARE(days[0].date, QDate(2024, 6, 3));
    QCOMPARE(days[0].madeAt, shanghai(3, 15, 30));
    QCOMPARE(days[0].changePct, 1.0380175159235667);
    QCOMPARE(*days[0].publishedChangePct, 1.0);
    QVERIFY(!days[1].publishedChangePct);
    // Written back byte for byte: numbers unrounded, keys in their order.
    QCOMPARE(*EstimateHistory::encode(*record), kRecord);

    EstimateHistory::Record bad = *record;
    bad[u"161725"_s][1].nav = qQNaN();
    QVERIFY(!EstimateHistory::encode(bad));
}

void TestEstimateHistory::unreadable_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray day = R"(["2024-06-03","2024-06-03T15:30:00+08:00",1.2,1.012])";
    const auto with = [](const QByteArray& days) {
        return QByteArray(R"({"v":1,"funds":{"161725":[)") + days + "]}}";
    };
    QTest::newRow("not JSON") << QByteArray("{\"v\":1,");
    QTest::newRow("an array") << QByteArray("[]");
    QTest::newRow("another version") << QByteArray(R"({"v":2,"funds":{}})");
    QTest::newRow("too few fields") << with(R"(["2024-06-03","2024-06-03T15:30:00+08:00",1.2])");
    QTest::newRow("a loose date") << with(R"(["2024-6-3","2024-06-03T15:30:00+08:00",1.2,1.012])");
    QTest::newRow("a number as text")
        << with(R"(["2024-06-03","2024-06-03T15:30:00+08:00","1.2",1.012])");
    QTest::newRow("published null")
        << with(R"(["2024-06-03","2024-06-03T15:30:00+08:00",1.2,1.012,null])");
    QTest::newRow("days out of order")
        << with(R"(["2024-06-04","2024-06-04T15:30:00+08:00",1.2,1.012],)" + day);
    QTest::newRow("one day twice") << with(day + ',' + day);
}

void TestEstimateHistory::unreadable()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!EstimateHistory::decode(bytes));
}

void TestEstimateHistory::damagedRecordIsKeptAside()
{
    const QByteArray damaged = R"({"v":1,"funds":{"161725":[["2024-06-03",)";
    rawSettings().setValue(EstimateHistory::key, damaged);

    EstimateHistory history;
    QVERIFY(history.record().isEmpty());
    // Kept where it is until something replaces it.
    QCOMPARE(stored(), damaged);
    QVERIFY(!rawSettings().contains(EstimateHistory::key + u".unreadable"_s));

    history.note({fund(u"161725"_s, u"2024-06-03"_s, 1.0, 0.4)}, {u"161725"_s}, shanghai(4, 10, 0),
                 TradingCalendar::builtIn());
    QCOMPARE(stored(EstimateHistory::key + u".unreadable"_s), damaged);
    const auto fresh = EstimateHistory::decode(stored());
    QVERIFY(fresh);
    QCOMPARE(fresh->value(u"161725"_s).size(), 1);
}

void TestEstimateHistory::forgetsFundsNoLongerWatched()
{
    const QStringList both{u"110011"_s, u"161725"_s};
    const QDateTime start = shanghai(4, 10, 0);
    const auto storedChange = [] {
        return EstimateHistory::decode(stored())->value(u"161725"_s).last().changePct;
    };
    {
        EstimateHistory history;
        history.note({fund(u"161725"_s, u"2024-06-03"_s, 1.0, 0.4),
                      fund(u"110011"_s, u"2024-06-03"_s, 1.0, 0.2)},
                     both, start, TradingCalendar::builtIn());
        QCOMPARE(history.record().keys(), both);
        QCOMPARE(EstimateHistory::decode(stored())->keys(), both); // the first change at once
        // 110011 is no longer watched; 161725's quote did not come this time.
        history.note({}, {u"161725"_s}, start.addSecs(30), TradingCalendar::builtIn());
        QCOMPARE(history.record().keys(), QStringList{u"161725"_s});
        // Written at most every five minutes...
        QCOMPARE(EstimateHistory::decode(stored())->keys(), both);
        history.note({fund(u"161725"_s, u"2024-06-03"_s, 1.0, 0.5)}, {u"161725"_s},
                     start.addSecs(EstimateHistory::writeEverySecs), TradingCalendar::builtIn());
        QCOMPARE(EstimateHistory::decode(stored())->keys(), QStringList{u"161725"_s});
        QCOMPARE(storedChange(), 0.5);
        history.note({fund(u"161725"_s, u"2024-06-03"_s, 1.0, 0.6)}, {u"161725"_s},
                     start.addSecs(EstimateHistory::writeEverySecs + 30),
                     TradingCalendar::builtIn());
        QCOMPARE(storedChange(), 0.5);
    }
    // ...and when the history goes.
    QCOMPARE(storedChange(), 0.6);
}

QTEST_GUILESS_MAIN(TestEstimateHistory)
#include "tst_estimatehistory.moc"
