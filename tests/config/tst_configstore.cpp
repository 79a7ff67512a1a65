#include "PreferencesSandbox.h"
#include "config/ConfigStore.h"
#include "config/HoldingsStore.h"
#include "market/Money.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class TestConfigStore : public QObject {
    Q_OBJECT
private slots:
    void init() { clearPreferences(); }
    void firstStartWritesNothing();
    void changesPersistIntoTheNextRun();
    void editRules_data();
    void editRules();
    void unreadableRecordIsKeptAside_data();
    void unreadableRecordIsKeptAside();
    void merge_data();
    void merge();
    void editsStartFromWhatIsStored_data();
    void editsStartFromWhatIsStored();
    void holdingsUnreadableAreKeptAside();
    void holdingEditsStartFromWhatIsStored_data();
    void holdingEditsStartFromWhatIsStored();
    void holdingsWrittenElsewhereAreShown();
};

// A watch list written compactly: "BK1 BK2=名 | 001 | BK1" is two boards (the
// second named 名; a board's name is its code unless given), one fund, and
// BK1 as the tray's source ("-" for the gold price).
static WatchConfig watchFrom(const QString& text)
{
    const QStringList parts = text.split(u'|');
    WatchConfig config;
    for (const QString& token : parts.value(0).split(u' ', Qt::SkipEmptyParts))
        config.sectors.append({token.section(u'=', 0, 0), token.section(u'=', -1)});
    for (const QString& token : parts.value(1).split(u' ', Qt::SkipEmptyParts))
        config.funds.append({token.section(u'=', 0, 0), token.section(u'=', -1)});
    const QString source = parts.value(2).trimmed();
    if (source != u"-"_s)
        config.statusBarSource = source;
    return config;
}

static QString textOf(const WatchConfig& config)
{
    const auto tokens = [](const auto& items) {
        QStringList list;
        for (const auto& item : items)
            list.append(item.name == item.code ? item.code : item.code + u'=' + item.name);
        return list.join(u' ');
    };
    return tokens(config.sectors) + u" | "_s + tokens(config.funds) + u" | "_s +
           config.statusBarSource.value_or(u"-"_s);
}

static QByteArray stored()
{
    return rawSettings().value(ConfigStore::key).toByteArray();
}

void TestConfigStore::firstStartWritesNothing()
{
    ConfigStore store;
    QCOMPARE(store.config(), WatchConfig::defaultConfig());
    QVERIFY(!rawSettings().contains(ConfigStore::key));
}

void TestConfigStore::changesPersistIntoTheNextRun()
{
    {
        ConfigStore store;
        store.addSector({u"BK0477"_s, u"酿酒行业"_s});
        WatchConfig config = store.config();
        config.statusBarSource = u"BK0477"_s;
        store.setConfig(config);
    }
    ConfigStore next;
    QCOMPARE(next.config().sectors.size(), 4);
    QCOMPARE(next.config().sectors.last().name, u"酿酒行业"_s);
    QCOMPARE(next.config().statusBarSource, std::optional<QString>(u"BK0477"_s));
}

void TestConfigStore::editRules_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("sectors"); // expected "code name" list
    QTest::addColumn<bool>("written");

    const QStringList defaults{u"BK0475 半导体"_s, u"BK0547 黄金概念"_s, u"BK1128 CPO概念"_s};
    QTest::newRow("add new") << u"add"_s << u"BK0477"_s
                             << defaults + QStringList{u"BK0477 新名字"_s} << true;
    QTest::newRow("add present under another name keeps the old")
        << u"add"_s << u"BK0547"_s << defaults << false;
    QTest::newRow("add differs only in case")
        << u"add"_s << u"bk0547"_s << defaults + QStringList{u"bk0547 新名字"_s} << true;
    QTest::newRow("remove present") << u"remove"_s << u"BK0547"_s
                                    << QStringList{u"BK0475 半导体"_s, u"BK1128 CPO概念"_s} << true;
    QTest::newRow("remove absent still writes") << u"remove"_s << u"BK9999"_s << defaults << true;
}

void TestConfigStore::editRules()
{
    QFETCH(QString, action);
    QFETCH(QString, code);
    QFETCH(QStringList, sectors);
    QFETCH(bool, written);
    ConfigStore store;
    QSignalSpy changes(&store, &ConfigStore::configChanged);
    const SectorConfig sector{code, u"新名字"_s};
    if (action == u"add"_s)
        store.addSector(sector);
    else
        store.removeSector(sector);
    QStringList actual;
    for (const SectorConfig& s : store.config().sectors)
        actual.append(s.code + u' ' + s.name);
    QCOMPARE(actual, sectors);
    QCOMPARE(rawSettings().contains(ConfigStore::key), written);
    QCOMPARE(changes.size(), written ? 1 : 0);
    if (written)
        QCOMPARE(stored(), store.config().toJson());
}

void TestConfigStore::unreadableRecordIsKeptAside_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("without funds") << QByteArray(R"({"sectors":[{"code":"BK0001","name":"x"}]})");
    QTest::newRow("not JSON") << QByteArray("\x00\xff garbage", 10);
}

void TestConfigStore::unreadableRecordIsKeptAside()
{
    QFETCH(QByteArray, bytes);
    rawSettings().setValue(ConfigStore::key, bytes);

    ConfigStore store;
    QCOMPARE(store.config(), WatchConfig::defaultConfig()); // whole record falls back
    QCOMPARE(stored(), bytes);                              // untouched until the first change
    QVERIFY(!rawSettings().contains(ConfigStore::key + u".unreadable"_s));

    store.addFund({u"000001"_s, u"华夏成长"_s});
    QCOMPARE(rawSettings().value(ConfigStore::key + u".unreadable"_s).toByteArray(), bytes);
    QCOMPARE(stored(), store.config().toJson());

    // A later change does not overwrite the copy with a readable record.
    store.removeFund({u"000001"_s, QString()});
    QCOMPARE(rawSettings().value(ConfigStore::key + u".unreadable"_s).toByteArray(), bytes);
}

void TestConfigStore::merge_data()
{
    // `ours` is what this process made of `base`; `theirs` is what another
    // process stored meanwhile.
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("ours");
    QTest::addColumn<QString>("theirs");
    QTest::addColumn<QString>("merged");
    QTest::newRow("nothing stored meanwhile: ours, order and all")
        << u"A B | x | -"_s << u"B A C | | A"_s << u"A B | x | -"_s << u"B A C |  | A"_s;
    QTest::newRow("board added here, fund added there")
        << u"A | x | -"_s << u"A C | x | -"_s << u"A | x y | -"_s << u"A C | x y | -"_s;
    QTest::newRow("board removed here, another added there")
        << u"A B | x | -"_s << u"A | x | -"_s << u"A B D | x | -"_s << u"A D | x | -"_s;
    QTest::newRow("source chosen here, list changed there")
        << u"A B | x | -"_s << u"A B | x | B"_s << u"A | x y | -"_s << u"A | x y | B"_s;
    QTest::newRow("source left alone here, chosen there")
        << u"A B | x | -"_s << u"A B C | x | -"_s << u"A B | x | A"_s << u"A B C | x | A"_s;
    QTest::newRow("renamed here, removed there: stays removed")
        << u"A B | x | -"_s << u"A B=新 | x | -"_s << u"A | x | -"_s << u"A | x | -"_s;
    QTest::newRow("renamed here, fund removed there")
        << u"A B | x y | -"_s << u"A B=新 | x y | -"_s << u"A B | y | -"_s << u"A B=新 | y | -"_s;
}

void TestConfigStore::merge()
{
    QFETCH(QString, base);
    QFETCH(QString, ours);
    QFETCH(QString, theirs);
    QFETCH(QString, merged);
    QCOMPARE(textOf(ConfigStore::merge(watchFrom(base), watchFrom(ours), watchFrom(theirs))),
             merged);
}

// An edit is applied to what is stored at the time, not to what this store
// loaded; what another store wrote meanwhile stays and is shown.
void TestConfigStore::editsStartFromWhatIsStored_data()
{
    QTest::addColumn<QString>("meanwhile"); // written by another store after this one loaded
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("stored");
    QTest::newRow("add a board") << u"A | x y | -"_s << u"add-board C"_s << u"A C | x y | -"_s;
    QTest::newRow("add a board added meanwhile: no write, shown")
        << u"A C | x | -"_s << u"add-board C"_s << u"A C | x | -"_s;
    QTest::newRow("remove a fund") << u"A B | x y | -"_s << u"remove-fund x"_s << u"A B | y | -"_s;
    QTest::newRow("choose the source") << u"A B | x | -"_s << u"source B"_s << u"A B | x | B"_s;
}

void TestConfigStore::editsStartFromWhatIsStored()
{
    QFETCH(QString, meanwhile);
    QFETCH(QString, edit);
    QFETCH(QString, stored);
    rawSettings().setValue(ConfigStore::key, watchFrom(u"A | x | -"_s).toJson());
    ConfigStore store;
    ConfigStore().setConfig(watchFrom(meanwhile));
    QSignalSpy changes(&store, &ConfigStore::configChanged);
    const QString verb = edit.section(u' ', 0, 0);
    const QString code = edit.section(u' ', 1);
    if (verb == u"add-board"_s) {
        store.addSector({code, code});
    } else if (verb == u"remove-fund"_s) {
        store.removeFund({code, QString()});
    } else {
        WatchConfig config = store.config(); // as the settings view does
        config.statusBarSource = code;
        store.setConfig(config);
    }
    QCOMPARE(textOf(*WatchConfig::fromJson(::stored())), stored);
    QCOMPARE(textOf(store.config()), stored);
    QCOMPARE(changes.size(), 1);
}

// Holdings written compactly: "A:100 B:2.5 gold:10 hidden", shares and grams
// as stored, costs left out.
static QString textOf(const Holdings& holdings)
{
    QStringList tokens;
    for (auto it = holdings.funds.begin(); it != holdings.funds.end(); ++it)
        tokens.append(it.key() + u':' + Money::text(it->quantity, Profit::shareDecimals));
    if (holdings.gold)
        tokens.append(u"gold:"_s + Money::text(holdings.gold->quantity, Profit::gramDecimals));
    if (holdings.hideAmounts)
        tokens.append(u"hidden"_s);
    return tokens.join(u' ');
}

// "A:100", "gold:10", "clear A", "clear gold", "hide", "show" on `store`.
static void editHoldings(HoldingsStore& store, const QString& edit)
{
    const auto position = [](const QString& token) {
        return Profit::Position{.quantity = qint64(token.section(u':', 1).toDouble() * 10'000),
                                .cost = std::nullopt};
    };
    if (edit == u"hide"_s || edit == u"show"_s)
        store.setHideAmounts(edit == u"hide"_s);
    else if (edit == u"clear gold"_s)
        store.clearGold();
    else if (edit.startsWith(u"clear "_s))
        store.clearFund(edit.mid(6));
    else if (edit.startsWith(u"gold:"_s))
        store.setGold(position(edit));
    else
        store.setFund(edit.section(u':', 0, 0), position(edit));
}

void TestConfigStore::holdingsUnreadableAreKeptAside()
{
    const QByteArray bytes = R"({"v":1,"funds":{"161725":{"shares":"-5"}}})";
    rawSettings().setValue(HoldingsStore::key, bytes);
    HoldingsStore store;
    QCOMPARE(store.holdings(), Holdings{});
    QCOMPARE(rawSettings().value(HoldingsStore::key).toByteArray(), bytes);

    editHoldings(store, u"161725:5"_s);
    QCOMPARE(rawSettings().value(HoldingsStore::key + u".unreadable"_s).toByteArray(), bytes);
    QCOMPARE(textOf(*Holdings::fromJson(rawSettings().value(HoldingsStore::key).toByteArray())),
             u"161725:5.00"_s);
    editHoldings(store, u"clear 161725"_s);
    QCOMPARE(rawSettings().value(HoldingsStore::key + u".unreadable"_s).toByteArray(), bytes);
}

// Each edit touches its own entry of what is stored at the time; what
// another store wrote meanwhile stays, and is shown.
void TestConfigStore::holdingEditsStartFromWhatIsStored_data()
{
    QTest::addColumn<QStringList>("meanwhile"); // edits of another store after this one loaded
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("stored");
    QTest::newRow("a fund here, another there")
        << QStringList{u"B:2"_s} << u"A:3"_s << u"A:3.00 B:2.00"_s;
    QTest::newRow("gold here, a fund cleared there")
        << QStringList{u"clear A"_s} << u"gold:1.5"_s << u"gold:1.5000"_s;
    QTest::newRow("a fund cleared here, the switch there")
        << QStringList{u"hide"_s} << u"clear A"_s << u"hidden"_s;
    QTest::newRow("the switch here, gold there")
        << QStringList{u"gold:2"_s} << u"hide"_s << u"A:1.00 gold:2.0000 hidden"_s;
    QTest::newRow("set here as it was set there")
        << QStringList{u"A:7"_s} << u"A:7"_s << u"A:7.00"_s;
    QTest::newRow("cleared here after it was cleared there")
        << QStringList{u"clear A"_s} << u"clear A"_s << QString();
}

void TestConfigStore::holdingEditsStartFromWhatIsStored()
{
    QFETCH(QStringList, meanwhile);
    QFETCH(QString, edit);
    QFETCH(QString, stored);
    {
        HoldingsStore first;
        editHoldings(first, u"A:1"_s);
    }
    HoldingsStore store;
    HoldingsStore other;
    for (const QString& e : meanwhile)
        editHoldings(other, e);
    QSignalSpy changed(&store, &HoldingsStore::holdingsChanged);
    editHoldings(store, edit);
    QCOMPARE(textOf(*Holdings::fromJson(rawSettings().value(HoldingsStore::key).toByteArray())),
             stored);
    QCOMPARE(textOf(store.holdings()), stored);
    // What it shows moved once, to what is stored, written here or not.
    QCOMPARE(changed.size(), 1);
}

void TestConfigStore::holdingsWrittenElsewhereAreShown()
{
    HoldingsStore store;
    QSignalSpy changed(&store, &HoldingsStore::holdingsChanged);
    HoldingsStore other;
    editHoldings(other, u"gold:3"_s);
    // No edit here: the store notices the file.
    QTRY_COMPARE(textOf(store.holdings()), u"gold:3.0000"_s);
    QCOMPARE(changed.size(), 1);
}

QTEST_GUILESS_MAIN(TestConfigStore)
#include "tst_configstore.moc"
