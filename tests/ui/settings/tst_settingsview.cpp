#include "PreferencesSandbox.h"
#include "SimFixture.h"
#include "app/MenuBarController.h"
#include "market/Format.h"
#include "market/Money.h"
#include "ui/panel/ConfirmSheet.h"
#include "ui/panel/FormTextField.h"
#include "ui/panel/GoldToggle.h"
#include "ui/panel/HoldingSheet.h"
#include "ui/panel/IconButton.h"
#include "ui/panel/MainPanelView.h"
#include "ui/panel/SearchButton.h"
#include "ui/panel/SearchResultList.h"
#include "ui/panel/SettingsView.h"
#include "ui/panel/WatchAddForm.h"

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(WatchAddForm::Kind)
Q_DECLARE_METATYPE(WatchAddForm::SearchState)

namespace {

SettingsView::Stores stores(MenuBarController& c)
{
    return {c.configStore(), c.holdingsStore(), c.alertConfig(), c.updateChecker()};
}

const QString kFundSearch = u"/FundSearch/api/FundSearchAPI.ashx"_s;
const QString kCodeSearch = u"/codetable/search/web"_s;

// The result rows as shown: "name|code|kind", "|已添加" after a watched one.
QStringList resultRows(const WatchAddForm* form)
{
    QStringList rows;
    for (int i = 0; i < form->resultList()->count(); ++i)
        rows.append(form->resultList()->rowText(i));
    return rows;
}

// Types `text` into `field` key by key; Chinese arrives as an input method
// commits it.
void type(QLineEdit* field, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(field, c.toLatin1());
            continue;
        }
        QInputMethodEvent commit;
        commit.setCommitString(c);
        QApplication::sendEvent(field, &commit);
    }
}

} // namespace

class TestSettingsView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void lookup_data();
    void lookup();
    void emptyCodeSendsNothing();
    void searchButtonFollowsTheText();
    void slowAnswerNeverNamesAnotherCode();
    void search_data();
    void search();
    void wholeCodeIsLookedUpAfterThePause_data();
    void wholeCodeIsLookedUpAfterThePause();
    void olderTextsAnswerIsDropped();
    void keysChooseAnEntry_data();
    void keysChooseAnEntry();
    void clickChoosesAnEntry();
    void add_data();
    void add();
    void remove_data();
    void remove();
    void figureSource();
    void manualUpdateCheck_data();
    void manualUpdateCheck();
    void autoCheckSwitchIsStored();
    void donationLinkOpensTheConfiguredPage();
    void leavingSettingsForgetsTheForms();
    void holdingsFromTheRows_data();
    void holdingsFromTheRows();
    void removingAHeldFundAsksFirst_data();
    void removingAHeldFundAsksFirst();
    void hideAmountsSwitch();

private:
    std::unique_ptr<MenuBarController> makeController()
    {
        return std::make_unique<MenuBarController>(MenuBarController::Options{
            .now = {}, .timeout = stallTimeout(600ms), .startTimers = false});
    }
    WatchAddForm* form(SettingsView& view, WatchAddForm::Kind kind)
    {
        return kind == WatchAddForm::Kind::sector ? view.sectorForm() : view.fundForm();
    }
    // Types `text` key by key, as the user would, and waits for what the
    // pause after it brings.
    void typeAndWait(WatchAddForm* form, const QString& text)
    {
        form->field()->setFocus();
        type(form->field(), text);
        QTRY_VERIFY(form->searchState() == WatchAddForm::SearchState::results ||
                    form->searchState() == WatchAddForm::SearchState::noResults ||
                    form->searchState() == WatchAddForm::SearchState::failed);
    }
    QWidget* openForm(SettingsView& view, WatchAddForm::Kind kind)
    {
        view.resize(400, 700);
        view.show();
        if (kind == WatchAddForm::Kind::sector)
            view.setAddSectorShown(true);
        else
            view.setAddFundShown(true);
        return form(view, kind);
    }
    // Types `text` and presses Return, as the user would, then waits for
    // the look-up to answer.
    void search(WatchAddForm* form, const QString& text)
    {
        form->field()->setText(text);
        QTest::keyClick(form->field(), Qt::Key_Return);
        QTRY_VERIFY(form->lookupState().kind != LookupState::Kind::loading);
    }

    SimFixture m_fixture;
};

void TestSettingsView::initTestCase()
{
    m_fixture.pointOrigins();
}

void TestSettingsView::init()
{
    clearPreferences();
    m_fixture.reset();
}

void TestSettingsView::lookup_data()
{
    QTest::addColumn<WatchAddForm::Kind>("kind");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Fault>("fault");     // on the look-up's route; a zero delay changes nothing
    QTest::addColumn<QString>("sent");    // part of the request's query
    QTest::addColumn<QString>("rowText"); // the look-up row afterwards
    const auto board = WatchAddForm::Kind::sector;
    const auto fund = WatchAddForm::Kind::fund;
    QTest::newRow("board, lower case with blanks")
        << board << u"  bk0547 "_s << Fault::delay(0) << u"secids=90.BK0547&"_s << u"黄金概念"_s;
    QTest::newRow("unknown board") << board << u"BK9999"_s << Fault::delay(0)
                                   << u"secids=90.BK9999&"_s << u"未找到该板块，请检查代码"_s;
    QTest::newRow("board look-up times out")
        << board << u"BK0475"_s << Fault::stall() << u"secids=90.BK0475&"_s
        << u"未找到该板块，请检查代码"_s;
    QTest::newRow("fund, kept as typed")
        << fund << u" 320007"_s << Fault::delay(0) << u"Fcodes=320007&"_s << u"诺安成长混合A"_s;
    QTest::newRow("unknown fund") << fund << u"000000"_s << Fault::delay(0) << u"Fcodes=000000&"_s
                                  << u"未找到该基金，请检查代码"_s;
    QTest::newRow("fund provider fails") << fund << u"161725"_s << Fault::status(500)
                                         << u"Fcodes=161725&"_s << u"未找到该基金，请检查代码"_s;
}

void TestSettingsView::lookup()
{
    QFETCH(WatchAddForm::Kind, kind);
    QFETCH(QString, typed);
    QFETCH(Fault, fault);
    QFETCH(QString, sent);
    const QString path = kind == WatchAddForm::Kind::sector ? u"/api/qt/ulist.np/get"_s
                                                            : u"/FundMNewApi/FundMNFInfo"_s;
    m_fixture.sim().addFault(path, fault);
    auto controller = makeController();
    SettingsView view(stores(*controller), controller->cycle(), stallTimeout(600ms));
    WatchAddForm* f = form(view, kind);

    f->field()->setText(typed);
    QVERIFY(f->searchButton()->isEnabled());
    QVERIFY(f->searchButton()->isHighlighted());
    QTest::keyClick(f->field(), Qt::Key_Return);
    // While it runs: the glass turns, the button cannot be pressed again.
    QCOMPARE(f->lookupState().kind, LookupState::Kind::loading);
    QVERIFY(f->searchButton()->isSpinning());
    QVERIFY(!f->searchButton()->isEnabled());
    QCOMPARE(f->lookupRowText(), u"查询中…"_s);
    QTRY_VERIFY(f->lookupState().kind != LookupState::Kind::loading);
    QVERIFY(!f->searchButton()->isSpinning());

    const auto requests = m_fixture.sim().requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.first().path, path);
    QVERIFY2(requests.first().query.contains(sent), qPrintable(requests.first().query));
    QTEST(f->lookupRowText(), "rowText");
    const bool found = f->lookupState().kind == LookupState::Kind::found;
    QCOMPARE(f->addButton()->isVisibleTo(f), found);
    QCOMPARE(f->addAnywayButton()->isVisibleTo(f), !found);
}

void TestSettingsView::emptyCodeSendsNothing()
{
    auto controller = makeController();
    SettingsView view(stores(*controller), controller->cycle(), stallTimeout(600ms));
    for (WatchAddForm* f : {view.sectorForm(), view.fundForm()}) {
        f->field()->setText(u" \t "_s);
        QVERIFY(!f->searchButton()->isEnabled());
        QVERIFY(!f->searchButton()->isHighlighted());
        QTest::keyClick(f->field(), Qt::Key_Return);
        QCOMPARE(f->lookupState().kind, LookupState::Kind::idle);
    }
    QTest::qWait(100);
    QCOMPARE(m_fixture.sim().requests().size(), 0);
}

void TestSettingsView::searchButtonFollowsTheText()
{
    auto controller = makeController();
    SettingsView view(stores(*controller), controller->cycle(), stallTimeout(600ms));
    WatchAddForm* f = view.sectorForm();
    search(f, u" bk0475 "_s);
    QCOMPARE(f->lastSearchedCode(), u"BK0475"_s);
    QVERIFY(f->searchButton()->isEnabled());
    QVERIFY(!f->searchButton()->isHighlighted()); // nothing new to look up
    f->field()->setText(u"BK0475"_s);
    QVERIFY(!f->searchButton()->isHighlighted());
    f->field()->setText(u"BK0547"_s);
    QVERIFY(f->searchButton()->isHighlighted());
    f->field()->clear();
    QVERIFY(!f->searchButton()->isEnabled());
}

void TestSettingsView::slowAnswerNeverNamesAnotherCode()
{
    // The first code's answer arrives after the second code's.
    m_fixture.sim().addFault(u"/api/qt/ulist.np/get"_s, Fault::delay(300), u"BK0475"_s);
    auto controller = makeController();
    SettingsView view(stores(*controller), controller->cycle(), 2000ms);
    WatchAddForm* f = view.sectorForm();
    f->field()->setText(u"BK0475"_s);
    f->lookup();
    f->field()->setText(u"BK0547"_s);
    f->lookup();
    QTRY_COMPARE(f->lookupState(), LookupState::found(u"黄金概念"_s));
    QTest::qWait(450);
    QCOMPARE(f->lookupState(), LookupState::found(u"黄金概念"_s));

    // A name found for one code is not given to a code typed afterwards:
    // the result row goes as soon as the code is edited.
    f->field()->setText(u"BK1128"_s);
    QCOMPARE(f->nameForAdd(), u"BK1128"_s);
    QCOMPARE(f->lookupState().kind, LookupState::Kind::idle);
    QVERIFY(!f->addButton()->isVisible());
}

void TestSettingsView::search_data()
{
    QTest::addColumn<WatchAddForm::Kind>("kind");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Fault>("fault");  // on the search route
    QTest::addColumn<QString>("sent"); // the text searched for; null: nothing is sent
    QTest::addColumn<WatchAddForm::SearchState>("state");
    QTest::addColumn<QString>("note"); // under the field, when no results are listed
    QTest::addColumn<QStringList>("rows");
    const auto board = WatchAddForm::Kind::sector;
    const auto fund = WatchAddForm::Kind::fund;
    const auto results = WatchAddForm::SearchState::results;
    const auto noResults = WatchAddForm::SearchState::noResults;
    const auto failed = WatchAddForm::SearchState::failed;
    // Late enough to see the search under way.
    const Fault late = Fault::delay(150);
    QTest::newRow("boards by pinyin initials, one watched")
        << board << u"bdt"_s << late << u"bdt"_s << results << QString()
        << QStringList{u"半导体|BK0475|行业|已添加"_s, u"半导体概念|BK1036|概念"_s};
    QTest::newRow("board by name") << board << u"酿酒"_s << late << u"酿酒"_s << results
                                   << QString() << QStringList{u"酿酒行业|BK0477|行业"_s};
    QTest::newRow("fund by pinyin initials")
        << fund << u"nacz"_s << late << u"nacz"_s << results << QString()
        << QStringList{u"诺安成长混合A|320007|混合型-偏股"_s};
    QTest::newRow("fund by one Han character, watched")
        << fund << u"酒"_s << late << u"酒"_s << results << QString()
        << QStringList{u"招商中证白酒指数(LOF)A|161725|指数型-股票|已添加"_s};
    QTest::newRow("no board") << board << u"zzzz"_s << late << u"zzzz"_s << noResults
                              << u"未找到匹配的板块"_s << QStringList();
    QTest::newRow("only stocks match, no fund")
        << fund << u"茅台"_s << late << u"茅台"_s << noResults << u"未找到匹配的基金"_s
        << QStringList();
    QTest::newRow("not a whole code: searched as typed")
        << fund << u"abc123"_s << late << u"abc123"_s << noResults << u"未找到匹配的基金"_s
        << QStringList();
    QTest::newRow("board search fails") << board << u"bdt"_s << Fault::status(500) << u"bdt"_s
                                        << failed << u"搜索失败，请检查网络"_s << QStringList();
    QTest::newRow("fund search times out") << fund << u"yfd"_s << Fault::stall() << u"yfd"_s
                                           << failed << u"搜索失败，请检查网络"_s << QStringList();
    QTest::newRow("one Latin letter")
        << board << u"b"_s << late << QString() << WatchAddForm::SearchState::idle << QString()
        << QStringList();
}

void TestSettingsView::search()
{
    QFETCH(WatchAddForm::Kind, kind);
    QFETCH(QString, typed);
    QFETCH(Fault, fault);
    QFETCH(QString, sent);
    QFETCH(WatchAddForm::SearchState, state);
    QFETCH(QStringList, rows);
    const QString path = kind == WatchAddForm::Kind::sector ? kCodeSearch : kFundSearch;
    m_fixture.sim().addFault(path, fault);
    auto controller = makeController();
    SettingsView view(stores(*controller), controller->cycle(), 600ms);
    WatchAddForm* f = form(view, kind);

    // Nothing goes out while the user types, one request once typing pauses.
    type(f->field(), typed);
    QCOMPARE(m_fixture.sim().requests().size(), 0);
    if (sent.isNull()) {
        QTest::qWait(WatchAddForm::pauseMs + 200);
        QCOMPARE(f->searchState(), WatchAddForm::SearchState::idle);
        QCOMPARE(f->lookupRowText(), QString());
        QCOMPARE(m_fixture.sim().requests().size(), 0);
        return;
    }
    if (fault.kind != Fault::Kind::Status) {
        QTRY_COMPARE(f->searchState(), WatchAddForm::SearchState::searching);
        QVERIFY(f->searchButton()->isSpinning());
        QVERIFY(!f->searchButton()->isEnabled());
        QCOMPARE(f->lookupRowText(), u"搜索中…"_s);
    }
    QTRY_COMPARE(f->searchState(), state);
    QVERIFY(!f->searchButton()->isSpinning());
    QTEST(f->lookupRowText(), "note");
    QCOMPARE(resultRows(f), rows);
    QCOMPARE(f->resultList()->isVisibleTo(f), !rows.isEmpty());
    QCOMPARE(f->lookupState().kind, LookupState::Kind::idle);

    const auto requests = m_fixture.sim().requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.first().path, path);
    QCOMPARE(
        requests.first().queryItem(kind == WatchAddForm::Kind::sector ? u"keyword"_s : u"key"_s),
        sent);

    // Return asks again after a failure, and only then.
    m_fixture.sim().clearFaults();
    QTest::keyClick(f->field(), Qt::Key_Return);
    if (state == WatchAddForm::SearchState::failed) {
        QTRY_COMPARE(f->searchState(), WatchAddForm::SearchState::results);
        QCOMPARE(m_fixture.sim().requests().size(), 2);
    } else {
        QCOMPARE(f->searchState(), state);
        QCOMPARE(m_fixture.sim().requests().size(), 1);
    }
}

void TestSettingsView::wholeCodeIsLookedUpAfterThePause_data()
{
    QTest::addColumn<WatchAddForm::Kind>("kind");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("rowText");
    QTest::newRow("board") << WatchAddForm::Kind::sector << u"bk0547"_s << u"/api/qt/ulist.np/get"_s
                           << u"黄金概念"_s;
    // The search does not know it; it can still be added under its code.
    QTest::newRow("fund the search does not know")
        << WatchAddForm::Kind::fund << u"000000"_s << u"/FundMNewApi/FundMNFInfo"_s
        << u"未找到该基金，请检查代码"_s;
}

void TestSettingsView::wholeCodeIsLookedUpAfterThePause()
{
    QFETCH(WatchAddForm::Kind, kind);
    QFETCH(QString, typed);
    QFETCH(QString, path);
    auto controller = makeController();
    SettingsView view(stores(*controller), controller->cycle(), 600ms);
    WatchAddForm* f = form(view, kind);
    type(f->field(), typed);
    QTRY_VERIFY(f->lookupState().kind == LookupState::Kind::found ||
                f->lookupState().kind == LookupState::Kind::notFound);
    QTEST(f->lookupRowText(), "rowText");
    QCOMPARE(f->searchState(), WatchAddForm::SearchState::idle);
    QCOMPARE(f->lookupState().kind == LookupState::Kind::found, f->addButton()->isVisibleTo(f));
    QCOMPARE(f->lookupState().kind == LookupState::Kind::notFound,
             f->addAnywayButton()->isVisibleTo(f));
    QTest::qWait(WatchAddForm::pauseMs);
    QCOMPARE(m_fixture.sim().requests().size(), 1);
    QCOMPARE(m_fixture.sim().requests().first().path, path);
}

void TestSettingsView::olderTextsAnswerIsDropped()
{
    // The answer for "bdt" arrives after the one for the text typed next.
    m_fixture.sim().addFault(kCodeSearch, Fault::delay(500), u"keyword=bdt&"_s);
    auto controller = makeController();
    SettingsView view(stores(*controller), controller->cycle(), 2000ms);
    WatchAddForm* f = view.sectorForm();
    type(f->field(), u"bdt"_s);
    QTRY_COMPARE(m_fixture.sim().requests().size(), 1);
    f->field()->clear();
    type(f->field(), u"rgzn"_s);
    QTRY_COMPARE(f->searchState(), WatchAddForm::SearchState::results);
    const QStringList rows{u"人工智能|BK0800|概念"_s};
    QCOMPARE(resultRows(f), rows);
    QTest::qWait(600);
    QCOMPARE(resultRows(f), rows);
    QCOMPARE(m_fixture.sim().requests().size(), 2);
}

void TestSettingsView::keysChooseAnEntry_data()
{
    QTest::addColumn<WatchAddForm::Kind>("kind");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("keys");  // D: Down, U: Up, before Return
    QTest::addColumn<QString>("added"); // "name|code"; empty: nothing
    const auto board = WatchAddForm::Kind::sector;
    const auto fund = WatchAddForm::Kind::fund;
    QTest::newRow("down past a watched board")
        << board << u"bdt"_s << u"D"_s << u"半导体概念|BK1036"_s;
    QTest::newRow("up stops at the first board that can be added")
        << board << u"bdt"_s << u"DUU"_s << u"半导体概念|BK1036"_s;
    QTest::newRow("down and up") << board << u"bk04"_s << u"DDDU"_s << u"食品饮料|BK0438"_s;
    QTest::newRow("up from nothing takes the last")
        << board << u"bk04"_s << u"U"_s << u"航天航空|BK0480"_s;
    QTest::newRow("a fund") << fund << u"nacz"_s << u"D"_s << u"诺安成长混合A|320007"_s;
    QTest::newRow("every fund watched") << fund << u"yfd"_s << u"DU"_s << QString();
    QTest::newRow("Return without a choice") << board << u"bdt"_s << QString() << QString();
}

void TestSettingsView::keysChooseAnEntry()
{
    QFETCH(WatchAddForm::Kind, kind);
    QFETCH(QString, typed);
    QFETCH(QString, keys);
    QFETCH(QString, added);
    const bool isBoard = kind == WatchAddForm::Kind::sector;
    auto controller = makeController();
    SettingsView view(stores(*controller), controller->cycle(), 600ms);
    auto* f = static_cast<WatchAddForm*>(openForm(view, kind));
    const QStringList before = isBoard ? view.sectorRows() : view.fundRows();
    typeAndWait(f, typed);
    QCOMPARE(f->searchState(), WatchAddForm::SearchState::results);
    for (const QChar key : keys)
        QTest::keyClick(f->field(), key == u'D' ? Qt::Key_Down : Qt::Key_Up);
    QTest::keyClick(f->field(), Qt::Key_Return);

    const QStringList after = isBoard ? view.sectorRows() : view.fundRows();
    if (added.isEmpty()) {
        QCOMPARE(after, before);
        QVERIFY(isBoard ? view.isAddSectorShown() : view.isAddFundShown());
        QCOMPARE(f->field()->text(), typed);
        QCOMPARE(f->searchState(), WatchAddForm::SearchState::results);
        QVERIFY(!controller->cycle().isRefreshing());
        return;
    }
    QCOMPARE(after, before + QStringList{added});
    QVERIFY(!(isBoard ? view.isAddSectorShown() : view.isAddFundShown()));
    QCOMPARE(f->field()->text(), QString());
    QCOMPARE(f->searchState(), WatchAddForm::SearchState::idle);
    QVERIFY(controller->cycle().isRefreshing());
    QTRY_VERIFY_WITH_TIMEOUT(!controller->cycle().isRefreshing(), 10000);
}

void TestSettingsView::clickChoosesAnEntry()
{
    auto controller = makeController();
    SettingsView view(stores(*controller), controller->cycle(), 600ms);
    auto* f = static_cast<WatchAddForm*>(openForm(view, WatchAddForm::Kind::sector));
    typeAndWait(f, u"bdt"_s);
    SearchResultList* list = f->resultList();
    QCOMPARE(list->rowText(0), u"半导体|BK0475|行业|已添加"_s);

    // A watched board: nothing happens.
    const QStringList before = view.sectorRows();
    QTest::mouseClick(list, Qt::LeftButton, {}, list->rowRect(0).center());
    QCOMPARE(view.sectorRows(), before);
    QVERIFY(view.isAddSectorShown());
    QVERIFY(!view.message());

    // Watched from elsewhere while listed: marked at once, and gone from
    // the selection.
    QTest::keyClick(f->field(), Qt::Key_Down);
    QCOMPARE(list->currentRow(), 1);
    controller->configStore().addSector(SectorConfig{u"BK1036"_s, u"半导体概念"_s});
    QCOMPARE(list->rowText(1), u"半导体概念|BK1036|概念|已添加"_s);
    QCOMPARE(list->currentRow(), -1);
    QTest::mouseClick(list, Qt::LeftButton, {}, list->rowRect(1).center());
    QCOMPARE(view.sectorRows().size(), before.size() + 1);

    controller->configStore().removeSector(SectorConfig{u"BK1036"_s, {}});
    QTest::mouseClick(list, Qt::LeftButton, {}, list->rowRect(1).center());
    QCOMPARE(view.sectorRows(), before + QStringList{u"半导体概念|BK1036"_s});
    QVERIFY(!view.isAddSectorShown());
    QTRY_VERIFY_WITH_TIMEOUT(!controller->cycle().isRefreshing(), 10000);
}

void TestSettingsView::add_data()
{
    QTest::addColumn<WatchAddForm::Kind>("kind");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("lastRow"); // the new last row; empty: nothing added
    QTest::addColumn<QString>("message"); // empty: none
    const auto board = WatchAddForm::Kind::sector;
    const auto fund = WatchAddForm::Kind::fund;
    QTest::newRow("found board") << board << u"bk0800"_s << u"人工智能|BK0800"_s << QString();
    QTest::newRow("unknown board, added anyway")
        << board << u"BK9999"_s << u"BK9999|BK9999"_s << QString();
    QTest::newRow("duplicate board") << board << u" bk0475"_s << QString() << u"该板块已添加"_s;
    QTest::newRow("found fund") << fund << u"320007"_s << u"诺安成长混合A|320007"_s << QString();
    QTest::newRow("unknown fund, added anyway")
        << fund << u"000000"_s << u"000000|000000"_s << QString();
    QTest::newRow("duplicate fund") << fund << u"161725 "_s << QString() << u"该基金已添加"_s;
}

void TestSettingsView::add()
{
    QFETCH(WatchAddForm::Kind, kind);
    QFETCH(QString, typed);
    QFETCH(QString, lastRow);
    QFETCH(QString, message);
    const bool isBoard = kind == WatchAddForm::Kind::sector;
    auto controller = makeController();
    SettingsView view(stores(*controller), controller->cycle(), stallTimeout(600ms));
    view.resize(400, 500);
    view.show();
    const QStringList before = isBoard ? view.sectorRows() : view.fundRows();

    QTest::mouseClick(isBoard ? view.addSectorButton() : view.addFundButton(), Qt::LeftButton);
    QVERIFY(isBoard ? view.isAddSectorShown() : view.isAddFundShown());
    QCOMPARE((isBoard ? view.addSectorButton() : view.addFundButton())->iconName(), u"minus"_s);
    WatchAddForm* f = form(view, kind);
    search(f, typed);
    QPushButton* button =
        f->lookupState().kind == LookupState::Kind::found ? f->addButton() : f->addAnywayButton();
    QVERIFY(button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);

    const QStringList after = isBoard ? view.sectorRows() : view.fundRows();
    const WatchConfig stored = controller->configStore().config();
    if (lastRow.isEmpty()) {
        // A duplicate changes nothing but the message; the form keeps its text.
        QCOMPARE(after, before);
        QCOMPARE(view.message(), std::optional(message));
        QVERIFY(isBoard ? view.isAddSectorShown() : view.isAddFundShown());
        QCOMPARE(f->field()->text(), typed);
        QVERIFY(!controller->cycle().isRefreshing());
        // Said where the action happened: in the form, in view.
        QVERIFY(f->messageLabel()->isVisible());
        QVERIFY(f->isAncestorOf(f->messageLabel()));
        QCOMPARE(f->message(), message);
        QCOMPARE(
            form(view, isBoard ? WatchAddForm::Kind::fund : WatchAddForm::Kind::sector)->message(),
            QString());
        f->field()->setText(typed + u'0');
        QVERIFY(!view.message());
        return;
    }
    QCOMPARE(after, before + QStringList{lastRow});
    const QString code = lastRow.section(u'|', 1), name = lastRow.section(u'|', 0, 0);
    if (isBoard)
        QCOMPARE(stored.sectors.last(), (SectorConfig{code, name}));
    else
        QCOMPARE(stored.funds.last(), (FundConfig{code, name}));
    QVERIFY(!view.message());
    QVERIFY(!(isBoard ? view.isAddSectorShown() : view.isAddFundShown()));
    QCOMPARE(f->field()->text(), QString());
    QCOMPARE(f->lookupState().kind, LookupState::Kind::idle);
    // The new entry is fetched at once.
    QVERIFY(controller->cycle().isRefreshing());
    QTRY_VERIFY_WITH_TIMEOUT(!controller->cycle().isRefreshing(), 10000);
}

void TestSettingsView::remove_data()
{
    QTest::addColumn<QStringList>("boards");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("removed");
    QTest::addColumn<QString>("newCurrent");
    QTest::newRow("the current one, others left")
        << QStringList{u"BK0547"_s, u"BK1128"_s, u"BK0800"_s} << u"BK1128"_s << u"BK1128"_s
        << u"BK0547"_s;
    QTest::newRow("the current and only one")
        << QStringList{u"BK0547"_s} << u"BK0547"_s << u"BK0547"_s << u"BK0475"_s;
    QTest::newRow("another one") << QStringList{u"BK0547"_s, u"BK1128"_s} << u"BK0547"_s
                                 << u"BK1128"_s << u"BK0547"_s;
}

void TestSettingsView::remove()
{
    QFETCH(QStringList, boards);
    QFETCH(QString, current);
    QFETCH(QString, removed);
    QFETCH(QString, newCurrent);
    auto controller = makeController();
    WatchConfig config;
    for (const QString& code : boards)
        config.sectors.append({code, code});
    config.statusBarSource = boards.last();
    controller->configStore().setConfig(config);
    controller->cycle().selectBoard(current);
    SettingsView view(stores(*controller), controller->cycle(), stallTimeout(600ms));

    QWidget* row = view.sectorRow(removed);
    QVERIFY(row);
    auto* menu = row->findChild<QMenu*>();
    QVERIFY(menu);
    QCOMPARE(menu->actions().size(), 1);
    QCOMPARE(menu->actions().first()->text(), u"删除"_s);
    menu->actions().first()->trigger();

    boards.removeAll(removed);
    QStringList rows;
    for (const QString& code : boards)
        rows.append(code + u'|' + code);
    QCOMPARE(view.sectorRows(), rows);
    QCOMPARE(controller->configStore().config().sectors.size(), boards.size());
    QCOMPARE(controller->market().currentSectorCode(), newCurrent);
    // A tray showing the removed board goes back to gold.
    const auto source = controller->configStore().config().statusBarSource;
    QCOMPARE(source, boards.contains(config.statusBarSource.value()) ? config.statusBarSource
                                                                     : std::nullopt);
    QCOMPARE(view.sourceMenu()->currentIndex(), source ? view.sourceMenu()->findData(*source) : 0);
    if (removed == current) {
        // Only the new current board is fetched.
        QTRY_VERIFY(controller->market().sector().has_value());
        QCOMPARE(controller->market().sector()->code, newCurrent);
        QVERIFY(!controller->market().gold().has_value());
    } else {
        QVERIFY(controller->cycle().isRefreshing());
        QTRY_VERIFY_WITH_TIMEOUT(!controller->cycle().isRefreshing(), 10000);
        QVERIFY(controller->market().gold().has_value());
    }
    if (boards.isEmpty())
        QCOMPARE(view.sectorRows(), QStringList());
}

void TestSettingsView::figureSource()
{
    auto controller = makeController();
    run(controller->cycle().refresh());
    QVERIFY(controller->market().gold() && !controller->market().allSectors().isEmpty());
    const QString goldTitle = controller->title();
    SettingsView view(stores(*controller), controller->cycle(), stallTimeout(600ms));
    QComboBox* menu = view.sourceMenu();
    QCOMPARE(menu->count(), 5);
    QCOMPARE(menu->itemText(0), u"黄金(CNY/g)"_s);
    QCOMPARE(menu->itemText(2), u"黄金概念"_s);
    QCOMPARE(menu->itemText(4), u"今日收益"_s);
    QCOMPARE(menu->currentIndex(), 0);

    // The wheel over the menu never changes the choice: the menu leaves the
    // event to what it sits in (for a real wheel, Qt hands an ignored event
    // on to the parent, and the page scrolls).
    for (const int delta : {-120, 120}) {
        QWheelEvent wheel(QPointF(10, 10), menu->mapToGlobal(QPointF(10, 10)), {}, QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(menu, &wheel);
        QVERIFY(!wheel.isAccepted());
    }
    QCOMPARE(menu->currentIndex(), 0);
    QCOMPARE(controller->configStore().config().statusBarSource, std::nullopt);

    menu->setCurrentIndex(2);
    emit menu->activated(2);
    QCOMPARE(controller->configStore().config().statusBarSource, std::optional(u"BK0547"_s));
    QVERIFY(rawSettings()
                .value(ConfigStore::key)
                .toByteArray()
                .contains(R"("statusBarSource":"BK0547")"));
    // The tray now shows the board's index.
    std::optional<double> index;
    for (const SectorQuote& quote : controller->market().allSectors()) {
        if (quote.code == u"BK0547"_s)
            index = quote.index;
    }
    QVERIFY(index);
    QVERIFY2(controller->title().endsWith(Format::price(*index)), qPrintable(controller->title()));
    QVERIFY(controller->title() != goldTitle);

    // The day's profit of the holdings: none held, no figure.
    menu->setCurrentIndex(4);
    emit menu->activated(4);
    QCOMPARE(controller->configStore().config().statusBarSource, std::optional(u"profit"_s));
    QCOMPARE(controller->title(), u"--"_s);
    controller->holdingsStore().setGold({.quantity = 10 * Money::unitsPerOne, .cost = {}});
    // At once, in whole yuan (with an arrow or not, by the hour this runs at).
    const qint64 today = controller->portfolio().today.value().fen;
    QVERIFY2(controller->title().endsWith(Format::signedYuan(today)),
             qPrintable(controller->title()));

    menu->setCurrentIndex(0);
    emit menu->activated(0);
    // Gold is the default, stored as no source at all.
    QCOMPARE(controller->configStore().config().statusBarSource, std::nullopt);
    QVERIFY(!rawSettings().value(ConfigStore::key).toByteArray().contains("statusBarSource"));
    QCOMPARE(controller->title(), goldTitle);
}

void TestSettingsView::manualUpdateCheck_data()
{
    QTest::addColumn<QByteArray>("record"); // empty: both sources fail
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("opened"); // what pressing the button again opens
    QTest::newRow("up to date") << QByteArray(R"({"version":"0.0.1","download_url":"x"})")
                                << u"已是最新版本"_s << u"立即检查"_s << QString();
    QTest::newRow("newer version")
        << QByteArray(R"({"version":"99.0","download_url":"https://orlenby.com/q.zip"})")
        << u"发现新版本"_s << u"下载更新"_s << u"https://orlenby.com/q.zip"_s;
    QTest::newRow("newer version, unsafe address")
        << QByteArray(R"({"version":"99.0","download_url":"file:///etc/passwd"})")
        << u"发现新版本"_s << u"下载更新"_s << QString();
    QTest::newRow("both sources fail")
        << QByteArray() << u"检查失败，稍后再试"_s << u"立即检查"_s << QString();
}

void TestSettingsView::manualUpdateCheck()
{
    QFETCH(QByteArray, record);
    QFETCH(QString, opened);
    if (record.isEmpty()) {
        m_fixture.sim().addFault(u"/works/downloads/version.json"_s, Fault::status(500));
        m_fixture.sim().addFault(u"/repos/kestrin-orlenby/quotara/releases/latest"_s,
                                 Fault::status(500));
    } else {
        m_fixture.sim().setVersionRecord(record);
    }
    auto controller = makeController();
    SettingsView view(stores(*controller), controller->cycle(), stallTimeout(600ms));
    QList<QUrl> openedUrls;
    view.openUrl = [&](const QUrl& url) { openedUrls.append(url); };
    QCOMPARE(view.updateStatusText(), QString());
    QCOMPARE(view.updateButton()->text(), u"立即检查"_s);

    QTest::mouseClick(view.updateButton(), Qt::LeftButton);
    QCOMPARE(view.updateStatusText(), u"检查中…"_s);
    QVERIFY(!view.updateButton()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(view.updateButton()->isEnabled(), 10000);
    QTEST(view.updateStatusText(), "status");
    QTEST(view.updateButton()->text(), "button");

    // Pressed again: "下载更新" opens a web address, anything else checks again.
    m_fixture.sim().clearRequests();
    QTest::mouseClick(view.updateButton(), Qt::LeftButton);
    if (!opened.isEmpty()) {
        QCOMPARE(openedUrls, QList<QUrl>{QUrl(opened)});
        QCOMPARE(m_fixture.sim().requests().size(), 0);
    } else {
        QVERIFY(openedUrls.isEmpty());
        QCOMPARE(view.updateStatusText(), u"检查中…"_s);
        QTRY_VERIFY_WITH_TIMEOUT(view.updateButton()->isEnabled(), 10000);
    }
}

void TestSettingsView::autoCheckSwitchIsStored()
{
    auto controller = makeController();
    {
        SettingsView view(stores(*controller), controller->cycle(), stallTimeout(600ms));
        QVERIFY(view.autoCheckSwitch()->isChecked()); // on until switched off
        QTest::mouseClick(view.autoCheckSwitch(), Qt::LeftButton);
        QCOMPARE(rawSettings().value(u"com.orlenby.quotara.autoCheckUpdate"_s).toBool(), false);
        QCOMPARE(view.versionText(), u'v' + controller->updateChecker().currentVersion());
    }
    SettingsView again(stores(*controller), controller->cycle(), stallTimeout(600ms));
    QVERIFY(!again.autoCheckSwitch()->isChecked());
}

void TestSettingsView::donationLinkOpensTheConfiguredPage()
{
    qputenv("QUOTARA_DONATION_URL", "https://example.org/coffee");
    auto controller = makeController();
    SettingsView view(stores(*controller), controller->cycle(), stallTimeout(600ms));
    QList<QUrl> opened;
    view.openUrl = [&](const QUrl& url) { opened.append(url); };
    QTest::mouseClick(view.donationLink(), Qt::LeftButton);
    qunsetenv("QUOTARA_DONATION_URL");
    QCOMPARE(opened, QList<QUrl>{QUrl(u"https://example.org/coffee"_s)});
}

void TestSettingsView::leavingSettingsForgetsTheForms()
{
    auto controller = makeController();
    MainPanelView panel(*controller);
    panel.setShowSettings(true);
    SettingsView* view = panel.settingsView();
    view->setAddSectorShown(true);
    search(view->sectorForm(), u"bk0475"_s);
    view->addSector(); // a duplicate: only the message
    QVERIFY(view->message());
    view->openAddRuleSheet();
    QVERIFY(panel.findChild<QWidget*>(u"SheetOverlay"_s));

    panel.setShowSettings(false);
    panel.setShowSettings(true);
    QVERIFY(!view->isAddSectorShown());
    QCOMPARE(view->sectorForm()->field()->text(), QString());
    QCOMPARE(view->sectorForm()->lookupState().kind, LookupState::Kind::idle);
    QVERIFY(!view->message());
    QTRY_VERIFY(!panel.findChild<QWidget*>(u"SheetOverlay"_s));
}

void TestSettingsView::holdingsFromTheRows_data()
{
    // how: "double click", "return", "menu", "gold row", "gold button"
    QTest::addColumn<QString>("opened");
    QTest::addColumn<bool>("held");      // a holding is there before
    QTest::addColumn<QString>("action"); // "save 200 1.5", "clear", "escape"
    QTest::addColumn<QString>("shown");  // the row's text afterwards
    QTest::newRow("a fund's row, double click, saved")
        << u"double click"_s << false << u"save 1234.5 1.5"_s << u"1,234.50 份"_s;
    QTest::newRow("a fund's row, Return, saved")
        << u"return"_s << true << u"save 300 1.2"_s << u"300.00 份"_s;
    QTest::newRow("a fund's menu, edited")
        << u"menu"_s << true << u"save 200 -"_s << u"200.00 份"_s;
    QTest::newRow("a fund's menu, cleared") << u"menu"_s << true << u"clear"_s << QString();
    QTest::newRow("a fund's row, left with Escape")
        << u"double click"_s << true << u"escape"_s << u"100.00 份"_s;
    QTest::newRow("gold's row, double click, saved")
        << u"gold row"_s << false << u"save 20.5 480"_s << u"20.5000 克"_s;
    QTest::newRow("gold's button, cleared")
        << u"gold button"_s << true << u"clear"_s << u"未设置"_s;
}

// A fund's holding is edited from its row (double click, Return, or
// "编辑持仓" in its menu), gold's from a row of its own; the rows say what is
// held.
void TestSettingsView::holdingsFromTheRows()
{
    QFETCH(QString, opened);
    QFETCH(bool, held);
    QFETCH(QString, action);
    QFETCH(QString, shown);
    const bool gold = opened.startsWith(u"gold"_s);
    auto controller = makeController();
    HoldingsStore& store = controller->holdingsStore();
    const Profit::Position before{.quantity = 100 * Money::unitsPerOne, .cost = 9'000};
    if (held && gold)
        store.setGold(before);
    else if (held)
        store.setFund(u"005827"_s, before);
    SettingsView view(stores(*controller), controller->cycle(), 600ms);
    view.resize(400, 500);
    view.show();
    QCOMPARE(gold ? view.goldHoldingText() : view.fundHeldText(u"005827"_s),
             held ? (gold ? u"100.0000 克"_s : u"100.00 份"_s) : (gold ? u"未设置"_s : QString()));

    QWidget* row = gold ? view.goldHoldingRow() : view.fundRow(u"005827"_s);
    view.ensureVisible(row);
    if (opened == u"double click"_s || opened == u"gold row"_s) {
        QTest::mouseDClick(row, Qt::LeftButton, {}, QPoint(20, row->height() / 2));
    } else if (opened == u"return"_s) {
        // Reached with Tab, and its tool tip says how it is edited.
        QVERIFY(row->focusPolicy() & Qt::TabFocus);
        QVERIFY(row->toolTip().contains(u"回车"_s));
        QTest::keyClick(row, Qt::Key_Return);
    } else if (opened == u"menu"_s) {
        const QList<QAction*> actions = row->findChild<QMenu*>()->actions();
        QCOMPARE(actions.size(), 2);
        QCOMPARE(actions[0]->text(), u"编辑持仓"_s);
        QCOMPARE(actions[1]->text(), u"删除"_s);
        actions[0]->trigger();
    } else {
        auto* button = row->findChild<IconButton*>();
        QTest::mouseClick(button, Qt::LeftButton);
    }
    auto* sheet = view.findChild<HoldingSheet*>();
    QVERIFY(sheet);
    QCOMPARE(sheet->clearButton()->isVisible(), held);
    if (held) {
        QCOMPARE(sheet->quantityField()->text(), gold ? u"100.0000"_s : u"100.00"_s);
        QCOMPARE(sheet->costField()->text(), u"0.9000"_s);
    }

    if (action.startsWith(u"save"_s)) {
        const QStringList parts = action.split(u' ');
        sheet->quantityField()->setText(parts[1]);
        sheet->costField()->setText(parts[2] == u"-"_s ? QString() : parts[2]);
        QTest::mouseClick(sheet->saveButton(), Qt::LeftButton);
    } else if (action == u"clear"_s) {
        QTest::mouseClick(sheet->clearButton(), Qt::LeftButton);
    } else {
        QTest::keyClick(sheet->quantityField(), Qt::Key_Escape);
    }
    QTRY_VERIFY(!view.findChild<HoldingSheet*>());
    QCOMPARE(gold ? view.goldHoldingText() : view.fundHeldText(u"005827"_s), shown);
    // Stored, for the next start and the other processes.
    const auto stored = Holdings::fromJson(rawSettings().value(HoldingsStore::key).toByteArray());
    QCOMPARE(stored.value_or(Holdings{}), store.holdings());
}

void TestSettingsView::removingAHeldFundAsksFirst_data()
{
    QTest::addColumn<bool>("held");
    QTest::addColumn<QStringList>("answers"); // to each question asked, in turn
    QTest::addColumn<bool>("removed");
    QTest::newRow("nothing held: removed at once") << false << QStringList{} << true;
    QTest::newRow("held, cancelled") << true << QStringList{u"取消"_s} << false;
    QTest::newRow("held, Return keeps it") << true << QStringList{u"Return"_s} << false;
    QTest::newRow("held, deleted") << true << QStringList{u"删除"_s} << true;
}

void TestSettingsView::removingAHeldFundAsksFirst()
{
    QFETCH(bool, held);
    QFETCH(QStringList, answers);
    QFETCH(bool, removed);
    auto controller = makeController();
    if (held)
        controller->holdingsStore().setFund(u"110011"_s, {.quantity = 1, .cost = {}});
    SettingsView view(stores(*controller), controller->cycle(), 600ms);
    view.resize(400, 500);
    view.show();
    view.fundRow(u"110011"_s)->findChild<QMenu*>()->actions().last()->trigger();
    for (const QString& answer : answers) {
        auto* sheet = view.findChild<ConfirmSheet*>();
        QVERIFY(sheet);
        QCOMPARE(sheet->text(), u"“易方达蓝筹精选”有持仓记录，删除后持仓记录一并清除。"_s);
        // Nothing goes while the question is open.
        QVERIFY(!view.fundRows().isEmpty() && view.fundRow(u"110011"_s));
        if (answer == u"Return"_s)
            QTest::keyClick(sheet->cancelButton(), Qt::Key_Return);
        else
            QTest::mouseClick(answer == u"删除"_s ? sheet->confirmButton() : sheet->cancelButton(),
                              Qt::LeftButton);
        QTRY_VERIFY(!view.findChild<ConfirmSheet*>());
    }
    QVERIFY(!view.findChild<ConfirmSheet*>());
    QCOMPARE(view.fundRow(u"110011"_s) == nullptr, removed);
    QCOMPARE(controller->holdingsStore().holdings().fund(u"110011"_s).has_value(),
             held && !removed);
    QTRY_VERIFY_WITH_TIMEOUT(!controller->cycle().isRefreshing(), 10000);
}

// For screen sharing: every amount reads "****", the percentages stay.
void TestSettingsView::hideAmountsSwitch()
{
    auto controller = makeController();
    controller->holdingsStore().setFund(u"161725"_s,
                                        {.quantity = 500 * Money::unitsPerOne, .cost = {}});
    SettingsView view(stores(*controller), controller->cycle(), 600ms);
    QVERIFY(!view.hideAmountsSwitch()->isChecked());
    QTest::mouseClick(view.hideAmountsSwitch(), Qt::LeftButton);
    QVERIFY(controller->holdingsStore().holdings().hideAmounts);
    QVERIFY(
        rawSettings().value(HoldingsStore::key).toByteArray().contains(R"("hideAmounts":true)"));
    QCOMPARE(view.fundHeldText(u"161725"_s), u"**** 份"_s);
    QTest::mouseClick(view.hideAmountsSwitch(), Qt::LeftButton);
    QCOMPARE(view.fundHeldText(u"161725"_s), u"500.00 份"_s);
    // Switched in another process: shown here too.
    HoldingsStore().setHideAmounts(true);
    QTRY_VERIFY(view.hideAmountsSwitch()->isChecked());
}

QTEST_MAIN(TestSettingsView)
#include "tst_settingsview.moc"
