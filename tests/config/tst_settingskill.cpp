// A process killed with SIGKILL in the middle of writing its settings must
// leave each stored record as it was before or after the write, never torn.
#include "PreferencesSandbox.h"
#include "StormValues.h"
#include "config/AlertConfig.h"
#include "config/ConfigStore.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;

class TestSettingsKill : public QObject {
    Q_OBJECT
private slots:
    void killedWriterNeverTearsARecord();
};

void TestSettingsKill::killedWriterNeverTearsARecord()
{
    clearPreferences();
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

        // Killed between creating the lock file and filling it in: the next
        // start, a second or more later, must not wait for it.
        const QString lock = rawSettings().fileName() + u".lock"_s;
        if (QFileInfo(lock).exists() && QFileInfo(lock).size() == 0) {
            ++emptyLocks;
            QFile file(lock);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-5),
                                     QFileDevice::FileModificationTime));
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

QTEST_GUILESS_MAIN(TestSettingsKill)
#include "tst_settingskill.moc"
