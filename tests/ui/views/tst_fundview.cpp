#include "PreferencesSandbox.h"
#include "SimFixture.h"
#include "app/MenuBarController.h"
#include "market/Format.h"
#include "market/Money.h"
#include "ui/panel/FundCard.h"
#include "ui/panel/FundView.h"
#include "ui/panel/HoldingsSummaryCard.h"

#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

// The fund tab hands every card the controller's trust figures for its fund,
// and what the user holds.
class TestFundView : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cardsCarryTheTrustFigures();
    void holdingsSummaryAndRows();

private:
    SimFixture m_fixture;
    // Tuesday after the close; the evening's values come out five hours later.
    QDateTime m_now;
    std::unique_ptr<MenuBarController> m_controller;
};

void TestFundView::init()
{
    clearPreferences();
    m_fixture.pointOrigins();
    m_now = QDateTime(QDate(2024, 6, 4), QTime(15, 30), QTimeZone("Asia/Shanghai"));
    m_fixture.sim().setClock([this] { return m_now; });
    m_controller = std::make_unique<MenuBarController>(MenuBarController::Options{
        .now = [this] { return m_now; }, .timeout = std::chrono::seconds(3), .startTimers = false});
}

void TestFundView::cardsCarryTheTrustFigures()
{
    MenuBarController& controller = *m_controller;
    FundView view(controller.market(), controller.configStore(), controller.holdingsStore());

    // Tuesday's estimates after the close, then the evening's values.
    run(controller.cycle().refreshFunds());
    m_now = m_now.addSecs(5 * 3600);
    run(controller.cycle().refreshFunds());
    view.refresh();

    const auto& funds = controller.market().funds();
    QCOMPARE(view.cards().size(), funds.size());
    QVERIFY(!funds.isEmpty());
    for (qsizetype i = 0; i < funds.size(); ++i) {
        const auto& trust = view.cards()[i]->trust();
        QVERIFY(trust);
        QCOMPARE(*trust, controller.market().estimateTrust(funds[i]));
        QCOMPARE(trust->navDate, u"2024-06-04"_s);
        QCOMPARE(trust->errorDays, 1);
        QVERIFY(trust->navDateError);
    }
}

// The tab opens with what the user holds added up, and each held fund's card
// has its row; the marks follow the day, hidden amounts read "****".
void TestFundView::holdingsSummaryAndRows()
{
    MenuBarController& controller = *m_controller;
    FundView view(controller.market(), controller.configStore(), controller.holdingsStore());
    run(controller.cycle().refreshFunds());
    view.refresh();
    QVERIFY(view.summaryCard()->isHidden());
    for (FundCard* card : view.cards())
        QVERIFY(card->holdingCells().isEmpty());

    const Profit::Position held{.quantity = 12'000 * Money::unitsPerOne, .cost = 7'862};
    controller.holdingsStore().setFund(u"005827"_s, held);
    const auto check = [&](const QString& tag, bool hidden) {
        view.refresh();
        QVERIFY(!view.summaryCard()->isHidden());
        const FundDetail* fund = nullptr;
        for (qsizetype i = 0; i < controller.market().funds().size(); ++i) {
            const bool isHeld = controller.market().funds()[i].quote.code == u"005827"_s;
            QCOMPARE(view.cards()[i]->holdingCells().isEmpty(), !isHeld);
            if (isHeld)
                fund = &controller.market().funds()[i];
        }
        QVERIFY(fund);
        const Profit::Figures figures = Profit::fund(held, *fund);
        const HoldingsSummaryCard::Texts texts = view.summaryCard()->texts();
        QCOMPARE(texts.scope, u"1 只基金"_s);
        QCOMPARE(texts.value, hidden ? u"****"_s : u"¥"_s + Format::money(*figures.value));
        QCOMPARE(texts.cells[0].tag, tag);
        QCOMPARE(texts.cells[0].value,
                 hidden ? u"****"_s : Format::signedMoney(figures.today->fen));
        QCOMPARE(texts.cells[2].value, Format::pct(*figures.holdingRatePct)); // never hidden
    };
    check(u"估"_s, false);
    m_now = m_now.addSecs(5 * 3600); // the evening's values are out
    run(controller.cycle().refreshFunds());
    check(u"已更新"_s, false);
    controller.holdingsStore().setHideAmounts(true);
    check(u"已更新"_s, true);
}

QTEST_MAIN(TestFundView)
#include "tst_fundview.moc"
