#include "market/FundEstimator.h"

#include <QTest>

using namespace Qt::StringLiterals;

using ChangeMap = QMap<QString, double>;
Q_DECLARE_METATYPE(QList<FundHolding>)

class TestFundEstimator : public QObject {
    Q_OBJECT
private slots:
    void normalizeCode_data();
    void normalizeCode();
    void estimateChangePct_data();
    void estimateChangePct();
    void estimateNav_data();
    void estimateNav();
    void coverage_data();
    void coverage();
};

void TestFundEstimator::normalizeCode_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("normalized");
    QTest::newRow("six digits") << u"600519"_s << u"600519"_s;
    QTest::newRow("hong kong five") << u"00700"_s << u"00700"_s;
    QTest::newRow("exchange prefix") << u"SH600519"_s << u"600519"_s;
    QTest::newRow("seven") << u"1600519"_s << u"600519"_s;
    QTest::newRow("empty") << QString() << QString();
    // A combining mark belongs to the character before it.
    QTest::newRow("combining mark counts once") << u"a\u030160051"_s << u"a\u030160051"_s;
    QTest::newRow("surrogate pair is one") << u"\U0001F600x600519"_s << u"600519"_s;
}

void TestFundEstimator::normalizeCode()
{
    QFETCH(QString, code);
    QTEST(FundEstimator::normalizeCode(code), "normalized");
}

static FundHolding holding(const QString& code, double weight)
{
    return FundHolding{.code = code, .name = code, .weight = weight, .exchange = 1};
}

void TestFundEstimator::estimateChangePct_data()
{
    QTest::addColumn<QList<FundHolding>>("holdings");
    QTest::addColumn<ChangeMap>("changes");
    QTest::addColumn<bool>("present");
    QTest::addColumn<double>("estimate");

    QTest::newRow("weights 10 and 5")
        << QList{holding(u"600519"_s, 10), holding(u"000568"_s, 5)}
        << ChangeMap{{u"600519"_s, 2.0}, {u"000568"_s, -1.0}} << true << 1.0;
    QTest::newRow("unpriced holding ignored")
        << QList{holding(u"600519"_s, 10), holding(u"000001"_s, 90)}
        << ChangeMap{{u"600519"_s, 2.5}} << true << 2.5;
    QTest::newRow("decorated code found")
        << QList{holding(u"SZ000568"_s, 4)} << ChangeMap{{u"000568"_s, -3.0}} << true << -3.0;
    QTest::newRow("none priced") << QList{holding(u"600519"_s, 10)} << ChangeMap{{u"1"_s, 1.0}}
                                 << false << 0.0;
    QTest::newRow("no holdings") << QList<FundHolding>{} << ChangeMap{{u"600519"_s, 1.0}} << false
                                 << 0.0;
    QTest::newRow("weights sum to zero")
        << QList{holding(u"600519"_s, 5), holding(u"000568"_s, -5)}
        << ChangeMap{{u"600519"_s, 1.0}, {u"000568"_s, 2.0}} << false << 0.0;
    QTest::newRow("zero weight only")
        << QList{holding(u"600519"_s, 0)} << ChangeMap{{u"600519"_s, 1.0}} << false << 0.0;
}

void TestFundEstimator::estimateChangePct()
{
    QFETCH(QList<FundHolding>, holdings);
    QFETCH(ChangeMap, changes);
    QFETCH(bool, present);
    QFETCH(double, estimate);
    const auto actual = FundEstimator::estimateChangePct(holdings, changes);
    QCOMPARE(actual.has_value(), present);
    if (actual)
        QCOMPARE(*actual, estimate);
}

void TestFundEstimator::estimateNav_data()
{
    QTest::addColumn<double>("nav");
    QTest::addColumn<double>("change");
    QTest::addColumn<double>("estimate");
    QTest::newRow("rise") << 1.5 << 2.0 << 1.53;
    QTest::newRow("fall") << 2.0 << -1.5 << 1.97;
    QTest::newRow("flat") << 0.8123 << 0.0 << 0.8123;
}

void TestFundEstimator::estimateNav()
{
    QFETCH(double, nav);
    QFETCH(double, change);
    QTEST(FundEstimator::estimateNav(nav, change), "estimate");
}

void TestFundEstimator::coverage_data()
{
    QTest::addColumn<QList<FundHolding>>("holdings");
    QTest::addColumn<ChangeMap>("changes");
    QTest::addColumn<double>("weight");
    QTest::addColumn<int>("priced");
    QTest::addColumn<int>("total");

    const QList<FundHolding> three{holding(u"600519"_s, 15.23), holding(u"SZ000568"_s, 9.81),
                                   holding(u"00700"_s, 8.02)};
    QTest::newRow("all priced") << three
                                << ChangeMap{{u"600519"_s, 1.0},
                                             {u"000568"_s, -2.0},
                                             {u"00700"_s, 0.0}}
                                << 15.23 + 9.81 + 8.02 << 3 << 3;
    // The decorated code is found under its six digits, as the estimate finds it.
    QTest::newRow("one missing") << three << ChangeMap{{u"600519"_s, 1.0}, {u"000568"_s, -2.0}}
                                 << 15.23 + 9.81 << 2 << 3;
    QTest::newRow("none priced") << three << ChangeMap{} << 0.0 << 0 << 3;
    QTest::newRow("no holdings") << QList<FundHolding>{} << ChangeMap{{u"600519"_s, 1.0}} << 0.0
                                 << 0 << 0;
}

void TestFundEstimator::coverage()
{
    QFETCH(QList<FundHolding>, holdings);
    QFETCH(ChangeMap, changes);
    QFETCH(double, weight);
    const FundEstimator::Coverage c = FundEstimator::coverage(holdings, changes);
    QCOMPARE(c.weightPct, weight);
    QTEST(c.priced, "priced");
    QTEST(c.holdings, "total");
}

QTEST_GUILESS_MAIN(TestFundEstimator)
#include "tst_fundestimator.moc"
