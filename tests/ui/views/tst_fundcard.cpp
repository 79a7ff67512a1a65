#include "ui/panel/FundCard.h"
#include "ui/panel/Palette.h"

#include <QApplication>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

using namespace Qt::StringLiterals;

class TestFundCard : public QObject {
    Q_OBJECT
private slots:
    void holdings_data();
    void holdings();
    void summaryTexts_data();
    void summaryTexts();
    void drawsTheValueInTheTrendColour();
    void trustToolTip_data();
    void trustToolTip();
    void trustLeavesTheCardAsItIs();
    void holdingCells_data();
    void holdingCells();
    void holdingRowSitsUnderTheDate();
};

static FundDetail fundWith(int holdings)
{
    FundDetail d;
    d.quote = {u"161725"_s, u"招商中证白酒指数(LOF)A"_s, 0.8123, -1.23, u"2024-06-03"_s};
    for (int i = 0; i < holdings; ++i)
        d.holdings.append({QString::number(600000 + i), u"股票"_s + QString::number(i), 9.876, 1});
    return d;
}

void TestFundCard::holdings_data()
{
    QTest::addColumn<int>("holdings");
    QTest::addColumn<QStringList>("changes");
    // 600000 and 600002 have a change today, the others none.
    QTest::newRow("ten show five")
        << 10 << QStringList{u"+1.50%"_s, u"--"_s, u"-0.25%"_s, u"--"_s, u"--"_s};
    QTest::newRow("three show three") << 3 << QStringList{u"+1.50%"_s, u"--"_s, u"-0.25%"_s};
    QTest::newRow("none") << 0 << QStringList{};
}

void TestFundCard::holdings()
{
    QFETCH(int, holdings);
    QFETCH(QStringList, changes);
    FundCard card;
    card.setFund(fundWith(holdings), {{u"600000"_s, 1.5}, {u"600002"_s, -0.25}});
    QCOMPARE(card.holdingRows(), changes.size());
    QCOMPARE(card.changeTexts(), changes);
    // Each shown row adds its height; an empty list shows one message line.
    FundCard five;
    five.setFund(fundWith(5), {});
    if (holdings >= 5)
        QCOMPARE(card.sizeHint().height(), five.sizeHint().height());
    else
        QVERIFY(card.sizeHint().height() < five.sizeHint().height());
}

void TestFundCard::summaryTexts_data()
{
    QTest::addColumn<std::optional<double>>("estNav");
    QTest::addColumn<bool>("navIsCurrent");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("estimate");
    QTest::addColumn<bool>("changeMissing");
    QTest::addColumn<QString>("change");

    // A day's move of a fund is a fraction of a percent: four decimals, or
    // value and estimate read the same.
    QTest::newRow("estimating") << std::optional(0.81567) << false << u"盘中估算"_s << u"0.8157"_s
                                << false << u"-1.23%"_s;
    QTest::newRow("no holding priced")
        << std::optional<double>() << false << QString() << QString() << false << u"-1.23%"_s;
    QTest::newRow("the day's value is out")
        << std::optional<double>() << true << u"净值已更新"_s << QString() << false << u"-1.23%"_s;
    // Too new to have published a change: no "+0.00%".
    QTest::newRow("no published change")
        << std::optional(0.81567) << false << u"盘中估算"_s << u"0.8157"_s << true << u"--"_s;
}

void TestFundCard::summaryTexts()
{
    QFETCH(std::optional<double>, estNav);
    QFETCH(bool, navIsCurrent);
    QFETCH(QString, label);
    QFETCH(QString, estimate);
    QFETCH(bool, changeMissing);
    FundDetail fund = fundWith(3);
    if (changeMissing) {
        fund.quote.navChangePct = 0;
        fund.quote.navChangeMissing = true;
    }
    fund.estNav = estNav;
    fund.estChangePct = estNav ? std::optional(0.42) : std::nullopt;
    fund.navIsCurrent = navIsCurrent;
    FundCard card;
    card.setFund(fund, {});
    const FundCard::SummaryTexts texts = card.summaryTexts();
    QCOMPARE(texts.value, u"0.8123"_s);
    QTEST(texts.change, "change");
    QCOMPARE(texts.date, u"净值日期 2024-06-03"_s);
    QCOMPARE(texts.estimateLabel, label);
    QCOMPARE(texts.estimateValue, estimate);
}

void TestFundCard::drawsTheValueInTheTrendColour()
{
    FundCard card;
    card.resize(372, card.sizeHint().height());
    card.setFund(fundWith(2), {});
    const QImage image = card.grab().toImage();
    // The big value sits on the left of the second row; look for the fall colour there.
    bool found = false;
    for (int y = 30; y < 70 && !found; ++y)
        for (int x = 14; x < 120 && !found; ++x)
            found = image.pixelColor(x, y).rgba() == Palette::down().rgba();
    QVERIFY2(found, "a falling value is drawn in green");
}

// What the controller would hand the card for a fund with ten holdings.
static EstimateTrust someTrust()
{
    return EstimateTrust{{45.18, 5, 10}, u"2024-06-03"_s, -0.0412, 0.1875, 4};
}

static const QString kTrustText =
    u"持仓覆盖 45.2%（5/10 只已定价）\n最新净值日期 2024-06-03\n"
    u"当日估算误差 -0.04 个百分点\n平均绝对误差 0.19 个百分点（共 4 日）"_s;

void TestFundCard::trustToolTip_data()
{
    QTest::addColumn<bool>("estimate");
    QTest::addColumn<bool>("trust");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QString>("text");

    // The card is 372 wide: its rows are the name (12..30), the value
    // (30..66) and the date (66..82), then the holdings.
    const QPoint estimateValue(372 - 14 - 4, 74);
    const QPoint value(40, 48);
    const QPoint holdings(100, 150);
    QTest::newRow("on the estimate") << true << true << estimateValue << kTrustText;
    QTest::newRow("estimate shown, on the value") << true << true << value << QString();
    QTest::newRow("on the holdings") << true << true << holdings << QString();
    QTest::newRow("no estimate, on the value") << false << true << value << kTrustText;
    QTest::newRow("no estimate, where it would be") << false << true << estimateValue << QString();
    QTest::newRow("no figures") << true << false << estimateValue << QString();
}

void TestFundCard::trustToolTip()
{
    QFETCH(bool, estimate);
    QFETCH(bool, trust);
    QFETCH(QPoint, at);
    QFETCH(QString, text);

    FundDetail fund = fundWith(10);
    if (estimate) {
        fund.estChangePct = 0.95;
        fund.estNav = 0.8200;
    }
    FundCard card;
    card.setFund(fund, {});
    card.resize(372, card.sizeHint().height());
    if (trust)
        card.setTrust(someTrust());
    card.show();
    QVERIFY(QTest::qWaitForWindowExposed(&card));

    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
    QHelpEvent hover(QEvent::ToolTip, at, card.mapToGlobal(at));
    QApplication::sendEvent(&card, &hover);
    if (text.isEmpty()) {
        QVERIFY(!QToolTip::isVisible());
    } else {
        QVERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), text);
    }
}

void TestFundCard::trustLeavesTheCardAsItIs()
{
    FundDetail fund = fundWith(10);
    fund.estChangePct = 0.95;
    fund.estNav = 0.8200;
    FundCard card;
    card.setFund(fund, {{u"600000"_s, 1.5}});
    card.resize(372, card.sizeHint().height());
    const QSize size = card.sizeHint();
    const QImage before = card.grab().toImage();
    card.setTrust(someTrust());
    QCOMPARE(card.sizeHint(), size);
    QCOMPARE(card.grab().toImage(), before);
}

Q_DECLARE_METATYPE(std::optional<Profit::Day>)

void TestFundCard::holdingCells_data()
{
    QTest::addColumn<std::optional<Profit::Day>>("today");
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<QStringList>("cells"); // "caption|tag|value"
    const auto day = [](qint64 fen, Profit::DayKind kind, const QString& date = {}) {
        return std::optional(Profit::Day{fen, kind, date});
    };
    QTest::newRow("estimating") << day(5200, Profit::DayKind::estimated) << false
                                << QStringList{u"份额||1,000.00"_s, u"今日收益|估|+52.00"_s,
                                               u"持有收益||-3.00"_s};
    QTest::newRow("the day's value is out")
        << day(-5000, Profit::DayKind::confirmed, u"2024-06-04"_s) << false
        << QStringList{u"份额||1,000.00"_s, u"今日收益|已更新|-50.00"_s, u"持有收益||-3.00"_s};
    // A QDII fund's latest day is not today: named by its date.
    QTest::newRow("a lagging value date")
        << day(-4340, Profit::DayKind::earlier, u"2024-06-03"_s) << false
        << QStringList{u"份额||1,000.00"_s, u"06-03 收益||-43.40"_s, u"持有收益||-3.00"_s};
    QTest::newRow("no day's figure")
        << std::optional<Profit::Day>() << false
        << QStringList{u"份额||1,000.00"_s, u"今日收益||--"_s, u"持有收益||-3.00"_s};
    QTest::newRow("amounts hidden")
        << day(5200, Profit::DayKind::estimated) << true
        << QStringList{u"份额||****"_s, u"今日收益|估|****"_s, u"持有收益||****"_s};
}

void TestFundCard::holdingCells()
{
    QFETCH(std::optional<Profit::Day>, today);
    QFETCH(bool, hidden);
    const Profit::Figures figures{
        .value = 100000, .today = today, .holdingProfit = -300, .holdingRatePct = -0.3};
    QStringList texts;
    for (const HoldingStrip::Cell& cell :
         HoldingStrip::positionCells(u"份额"_s, u"1,000.00"_s, figures, hidden))
        texts.append(cell.caption + u'|' + cell.tag + u'|' + cell.value);
    QTEST(texts, "cells");
}

// The holding's row goes under the value and its date: the card grows by
// it, the estimate and its tool tip stay where they are, and its sums are
// red for a gain and green for a loss.
void TestFundCard::holdingRowSitsUnderTheDate()
{
    FundDetail fund = fundWith(3);
    fund.estNav = 0.8200;
    FundCard card;
    card.setFund(fund, {});
    card.resize(372, card.sizeHint().height());
    const QSize without = card.sizeHint();
    const QRect trust = card.trustArea();
    const Profit::Figures figures{.value = 100000,
                                  .today = Profit::Day{5200, Profit::DayKind::estimated, {}},
                                  .holdingProfit = -300,
                                  .holdingRatePct = -0.3};
    card.setHolding(HoldingStrip::positionCells(u"份额"_s, u"1,000.00"_s, figures, false));
    QCOMPARE(card.sizeHint().height(), without.height() + 1 + HoldingStrip::stripHeight);
    card.resize(372, card.sizeHint().height());
    QCOMPARE(card.trustArea(), trust);

    const QImage image = card.grab().toImage();
    const auto found = [&](const QColor& color, int fromX, int toX) {
        // The row runs from below the date (94) for the strip's height.
        for (int y = 95; y < 95 + HoldingStrip::stripHeight; ++y)
            for (int x = fromX; x < toX; ++x)
                if (image.pixelColor(x, y).rgba() == color.rgba())
                    return true;
        return false;
    };
    QVERIFY2(found(Palette::up(), 130, 250), "the day's gain in red");
    QVERIFY2(found(Palette::down(), 250, 372), "the holding's loss in green");
    QVERIFY(!found(Palette::up(), 0, 120) && !found(Palette::down(), 0, 120));

    card.setHolding({});
    QCOMPARE(card.sizeHint(), without);
}

QTEST_MAIN(TestFundCard)
#include "tst_fundcard.moc"
