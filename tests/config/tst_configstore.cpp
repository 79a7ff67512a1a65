#include "PreferencesSandbox.h"
#include "config/ConfigStore.h"

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
};

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

QTEST_GUILESS_MAIN(TestConfigStore)
#include "tst_configstore.moc"
