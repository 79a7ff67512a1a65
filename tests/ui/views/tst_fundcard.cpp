#include "ui/panel/FundCard.h"
#include "ui/panel/Palette.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestFundCard : public QObject {
    Q_OBJECT
private slots:
    void holdings_data();
    void holdings();
    void drawsTheValueInTheTrendColour();
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

QTEST_MAIN(TestFundCard)
#include "tst_fundcard.moc"
