// Settings shared with other processes. A process killed with SIGKILL in the
// middle of writing its settings must leave each stored record as it was
// before or after the write, never torn; and edits made by two processes
// that each show what they loaded earlier must all be kept.
#include "PreferencesSandbox.h"
#include "StoreCommands.h"
#include "StormValues.h"
#include "config/AlertConfig.h"
#include "config/ConfigStore.h"
#include "config/SettingsLock.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;

// settings_storm serving edits: started, loaded, and asked one line at a time.
class Editor {
public:
    bool start()
    {
        m_process.setProgram(QStringLiteral(QUOTARA_STORM_WRITER));
        m_process.setArguments({u"serve"_s});
        m_process.start();
        return m_process.waitForStarted(5000) && answer() == u"ready"_s;
    }
    // Sends the line; answer() then waits for what the edit said.
    void send(const QString& line)
    {
        m_process.write(line.toUtf8() + '\n');
        m_process.waitForBytesWritten(5000); // now, not when this process next waits
    }
    QString answer()
    {
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(10000))
                return u"<no answer>"_s;
        }
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }
    QString run(const QString& line)
    {
        send(line);
        return answer();
    }
    ~Editor()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }

private:
    QProcess m_process;
};

class TestSettingsKill : public QObject {
    Q_OBJECT
private slots:
    void init() { clearPreferences(); }
    void killedWriterNeverTearsARecord();
    void editsOfTwoProcessesAreAllKept_data();
    void editsOfTwoProcessesAreAllKept();
    void aCrossingIsMarkedByOneProcess();
    void anotherProcessesEditIsShownAtOnce_data();
    void anotherProcessesEditIsShownAtOnce();
};

// What the next start of the program would read.
static QString stored()
{
    QSettings settings = rawSettings();
    const auto watch = WatchConfig::fromJson(settings.value(ConfigStore::key).toByteArray());
    const auto rules = AlertConfig::decode(settings.value(AlertConfig::key).toByteArray());
    const auto holdings = Holdings::fromJson(settings.value(HoldingsStore::key).toByteArray());
    return StoreCommands::describe(watch.value_or(WatchConfig::defaultConfig()),
                                   rules.value_or(AlertConfig::defaultRules()),
                                   holdings.value_or(Holdings{}));
}

void TestSettingsKill::killedWriterNeverTearsARecord()
{
    QRandomGenerator random(20261208);
    constexpr int rounds = 200;
    int sawA = 0, sawB = 0, emptyLocks = 0;
    for (int round = 0; round < rounds; ++round) {
        QProcess writer;
        writer.setProgram(QStringLiteral(QUOTARA_STORM_WRITER));
        writer.start();
        QVERIFY(writer.waitForStarted(5000));
        // Wait until it writes, then let it write on for up to 20 ms.
        QVERIFY2(writer.waitForReadyRead(10000), qPrintable(u"round %1"_s.arg(round)));
        QThread::usleep(random.bounded(20'000));
        ::kill(pid_t(writer.processId()), SIGKILL);
        QVERIFY(writer.waitForFinished(5000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

        // Killed between creating a lock file (QSettings' own, or the one
        // around each change) and filling it in: the next start, a second or
        // more later, must not wait for it.
        for (const QString& suffix : {u".lock"_s, SettingsLock::suffix}) {
            const QString lock = rawSettings().fileName() + suffix;
            if (QFileInfo(lock).exists() && QFileInfo(lock).size() == 0) {
                ++emptyLocks;
                QFile file(lock);
                QVERIFY(file.open(QIODevice::ReadWrite));
                QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-5),
                                         QFileDevice::FileModificationTime));
            }
        }

        // What the next start of the program would read.
        QSettings stored = rawSettings();
        const auto watch = WatchConfig::fromJson(stored.value(ConfigStore::key).toByteArray());
        const auto rules = AlertConfig::decode(stored.value(AlertConfig::key).toByteArray());
        QVERIFY2(watch, qPrintable(u"round %1: the watch list does not read"_s.arg(round)));
        QVERIFY2(rules, qPrintable(u"round %1: the rule list does not read"_s.arg(round)));
        QVERIFY(*watch == StormValues::watchA() || *watch == StormValues::watchB());
        QVERIFY(*rules == StormValues::rulesA() || *rules == StormValues::rulesB());
        (*watch == StormValues::watchA() ? sawA : sawB)++;
        // Nothing was found unreadable and put aside.
        QVERIFY(!stored.contains(ConfigStore::key + u".unreadable"_s));
        QVERIFY(!stored.contains(AlertConfig::key + u".unreadable"_s));
    }
    // The kills really did land at different points of the storm.
    QVERIFY(sawA > 0 && sawB > 0);
    qInfo("%d kills: watch list A %d times, B %d times; %d empty lock files left", rounds, sawA,
          sawB, emptyLocks);
}

void TestSettingsKill::editsOfTwoProcessesAreAllKept_data()
{
    // Each step is run by this process ("here") or by the other ("there").
    // Both loaded the stores before the first step and look at the file
    // again only when they change it.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("expected");

    const QString rules = u"gold-tp1 gold-tp2 gold-tp3 gold-sl1 gold-sl2"_s;
    const QString boards = u"BK0475 BK0547 BK1128"_s;
    const QString funds = u"161725 110011 005827"_s;
    const auto state = [&](const QString& r, const QString& b, const QString& f,
                           const QString& source = u"gold"_s, const QString& held = u"-"_s) {
        return QStringList{r, b, f, source, held}.join(u" | "_s);
    };
    QTest::newRow("rule added here, one fired there")
        << QStringList{u"here add-rule mine"_s, u"there fire gold-tp1"_s}
        << state(u"gold-tp1* gold-tp2 gold-tp3 gold-sl1 gold-sl2 mine"_s, boards, funds);
    QTest::newRow("rule added there, one fired here")
        << QStringList{u"there add-rule theirs"_s, u"here fire gold-sl2"_s}
        << state(u"gold-tp1 gold-tp2 gold-tp3 gold-sl1 gold-sl2* theirs"_s, boards, funds);
    QTest::newRow("rule removed there, another switched off here")
        << QStringList{u"there remove-rule gold-tp2"_s, u"here toggle gold-tp3"_s}
        << state(u"gold-tp1 gold-tp3! gold-sl1 gold-sl2"_s, boards, funds);
    QTest::newRow("rule removed there is not brought back by a switch here")
        << QStringList{u"there remove-rule gold-tp3"_s, u"here toggle gold-tp3"_s}
        << state(u"gold-tp1 gold-tp2 gold-sl1 gold-sl2"_s, boards, funds);
    QTest::newRow("rule fired there, switched off here")
        << QStringList{u"there fire gold-tp1"_s, u"here toggle gold-tp1"_s}
        << state(u"gold-tp1*! gold-tp2 gold-tp3 gold-sl1 gold-sl2"_s, boards, funds);
    QTest::newRow("fund added here, board removed there")
        << QStringList{u"here add-fund 000001"_s, u"there remove-board BK0547"_s}
        << state(rules, u"BK0475 BK1128"_s, funds + u" 000001"_s);
    QTest::newRow("a board added in each")
        << QStringList{u"there add-board BK0800"_s, u"here add-board BK0900"_s}
        << state(rules, boards + u" BK0800 BK0900"_s, funds);
    QTest::newRow("figure chosen there, over a fund added here")
        << QStringList{u"here add-fund 000001"_s, u"there source BK1128"_s}
        << state(rules, boards, funds + u" 000001"_s, u"BK1128"_s);
    QTest::newRow("rule added and fund added there, both kept by a figure chosen here")
        << QStringList{u"there add-rule theirs"_s, u"there add-fund 000001"_s,
                       u"here source BK0547"_s}
        << state(rules + u" theirs"_s, boards, funds + u" 000001"_s, u"BK0547"_s);
    QTest::newRow("a holding set in each")
        << QStringList{u"there hold 161725 100"_s, u"here hold 005827 20"_s}
        << state(rules, boards, funds, u"gold"_s, u"005827:20 161725:100"_s);
    QTest::newRow("a holding changed there, amounts hidden here")
        << QStringList{u"here hold 161725 100"_s, u"there hold 161725 300"_s, u"here hide"_s}
        << state(rules, boards, funds, u"gold"_s, u"161725:300 hidden"_s);
    QTest::newRow("a holding cleared there, another set here")
        << QStringList{u"here hold 161725 100"_s, u"there unhold 161725"_s, u"here hold 110011 7"_s}
        << state(rules, boards, funds, u"gold"_s, u"110011:7"_s);
}

void TestSettingsKill::editsOfTwoProcessesAreAllKept()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, expected);
    Editor there;
    QVERIFY(there.start());
    ConfigStore watch;
    AlertConfig alerts;
    HoldingsStore holdings;
    for (const QString& step : steps) {
        const QString command = step.section(u' ', 1);
        const QString answer = step.startsWith(u"here "_s)
                                   ? StoreCommands::run(watch, alerts, holdings, command)
                                   : there.run(command);
        QVERIFY2(answer == u"ok"_s || answer == u"1"_s, qPrintable(step + u": "_s + answer));
    }
    QCOMPARE(stored(), expected);
}

// Two processes see the same crossing at the same moment; the stored fired
// state decides which one notifies, and exactly one does, every time.
void TestSettingsKill::aCrossingIsMarkedByOneProcess()
{
    Editor there;
    QVERIFY(there.start());
    ConfigStore watch;
    AlertConfig alerts;
    HoldingsStore holdings;
    QRandomGenerator random(20261209);
    constexpr int rounds = 40;
    int wonHere = 0, wonThere = 0;
    for (int round = 0; round < rounds; ++round) {
        // The other process asks as soon as it reads the line, this one a
        // little later or not: which comes first varies from round to round.
        there.send(u"fire gold-tp1"_s);
        QThread::usleep(random.bounded(4'000));
        const bool here = StoreCommands::run(watch, alerts, holdings, u"fire gold-tp1"_s) == u"1"_s;
        const QString answer = there.answer();
        QVERIFY2(answer == u"1"_s || answer == u"0"_s, qPrintable(answer));
        const bool away = answer == u"1"_s;
        QVERIFY2(
            here != away,
            qPrintable(u"round %1: marked here %2, there %3"_s.arg(round).arg(here).arg(away)));
        (here ? wonHere : wonThere)++;
        QCOMPARE(StoreCommands::run(watch, alerts, holdings, u"rearm gold-tp1"_s), u"1"_s);
    }
    qInfo("%d crossings: marked here %d times, there %d times", rounds, wonHere, wonThere);
}

void TestSettingsKill::anotherProcessesEditIsShownAtOnce_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("rule added") << u"add-rule theirs"_s;
    QTest::newRow("rule fired") << u"fire gold-sl1"_s;
    QTest::newRow("board removed") << u"remove-board BK0475"_s;
    QTest::newRow("fund added") << u"add-fund 000001"_s;
    QTest::newRow("a holding set") << u"hold 161725 100"_s;
}

void TestSettingsKill::anotherProcessesEditIsShownAtOnce()
{
    QFETCH(QString, command);
    ConfigStore watch;
    AlertConfig alerts;
    HoldingsStore holdings;
    QSignalSpy watchChanges(&watch, &ConfigStore::configChanged);
    QSignalSpy ruleChanges(&alerts, &AlertConfig::rulesChanged);
    QSignalSpy holdingChanges(&holdings, &HoldingsStore::holdingsChanged);
    const QString before =
        StoreCommands::describe(watch.config(), alerts.rules(), holdings.holdings());
    Editor there;
    QVERIFY(there.start());
    QVERIFY(there.run(command) != u"?"_s);
    QVERIFY(stored() != before);
    // Shown, without a refresh or an edit here: the stores notice the file.
    QTRY_COMPARE(StoreCommands::describe(watch.config(), alerts.rules(), holdings.holdings()),
                 stored());
    QCOMPARE(watchChanges.size() + ruleChanges.size() + holdingChanges.size(), 1);
}

QTEST_GUILESS_MAIN(TestSettingsKill)
#include "tst_settingskill.moc"
