#include "PreferencesSandbox.h"
#include "SimFixture.h"
#include "app/MenuBarController.h"
#include "ui/panel/FundCard.h"
#include "ui/panel/FundView.h"

#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

// The fund tab hands every card the controller's trust figures for its fund.
class TestFundView : public QObject {
    Q_OBJECT
private slots:
    void cardsCarryTheTrustFigures();
};

void TestFundView::cardsCarryTheTrustFigures()
{
    clearPreferences();
    SimFixture fixture;
    qputenv("QUOTARA_QUOTE_ORIGIN", fixture.origin().toUtf8());
    qputenv("QUOTARA_FUND_ORIGIN", fixture.origin().toUtf8());
    QDateTime now(QDate(2024, 6, 4), QTime(15, 30), QTimeZone("Asia/Shanghai"));
    fixture.sim().setClock([&] { return now; });
    MenuBarController controller(MenuBarController::Options{
        .now = [&] { return now; }, .timeout = std::chrono::seconds(3), .startTimers = false});
    FundView view(controller);

    // Tuesday's estimates after the close, then the evening's values.
    run(controller.refreshFunds());
    now = now.addSecs(5 * 3600);
    run(controller.refreshFunds());
    view.refresh();

    const auto& funds = controller.funds();
    QCOMPARE(view.cards().size(), funds.size());
    QVERIFY(!funds.isEmpty());
    for (qsizetype i = 0; i < funds.size(); ++i) {
        const auto& trust = view.cards()[i]->trust();
        QVERIFY(trust);
        QCOMPARE(*trust, controller.estimateTrust(funds[i]));
        QCOMPARE(trust->navDate, u"2024-06-04"_s);
        QCOMPARE(trust->errorDays, 1);
        QVERIFY(trust->navDateError);
    }
}

QTEST_MAIN(TestFundView)
#include "tst_fundview.moc"
