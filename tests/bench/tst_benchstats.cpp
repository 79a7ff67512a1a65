#include "BenchStats.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <atomic>
#include <cmath>
#include <thread>

class TestBenchStats : public QObject {
    Q_OBJECT
private slots:
    void percentile_data();
    void percentile();
    void parseStatus_data();
    void parseStatus();
    void statTicks_data();
    void statTicks();
    void ownProcess();
};

void TestBenchStats::percentile_data()
{
    QTest::addColumn<QList<double>>("samples");
    QTest::addColumn<double>("fraction");
    QTest::addColumn<double>("expected"); // NaN: no samples

    QTest::newRow("no samples") << QList<double>{} << 0.5 << double(NAN);
    QTest::newRow("one sample") << QList<double>{7} << 0.95 << 7.0;
    QTest::newRow("odd median, unsorted") << QList<double>{9, 1, 5} << 0.5 << 5.0;
    QTest::newRow("even median between the middle two") << QList<double>{4, 1, 3, 2} << 0.5 << 2.5;
    QTest::newRow("p95 of 1..20 interpolates") << [] {
        QList<double> s;
        for (int i = 20; i >= 1; --i)
            s.append(i);
        return s;
    }() << 0.95 << 19.05;
    QTest::newRow("p0 is the least") << QList<double>{3, -2, 8} << 0.0 << -2.0;
    QTest::newRow("p100 is the largest") << QList<double>{3, -2, 8} << 1.0 << 8.0;
    QTest::newRow("fraction above 1 clamps") << QList<double>{3, -2, 8} << 1.5 << 8.0;
    QTest::newRow("ties") << QList<double>{2, 2, 2, 9} << 0.5 << 2.0;
}

void TestBenchStats::percentile()
{
    QFETCH(QList<double>, samples);
    QFETCH(double, fraction);
    QFETCH(double, expected);
    const double actual = BenchStats::percentile(samples, fraction);
    if (std::isnan(expected))
        QVERIFY(std::isnan(actual));
    else
        QVERIFY2(std::abs(actual - expected) < 1e-9, qPrintable(QString::number(actual)));
}

void TestBenchStats::parseStatus_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<qint64>>("expected"); // rss, pss, anon, file, voluntary, involuntary

    QTest::newRow("a process") << QByteArray("Name:\tquotara\nState:\tS (sleeping)\n"
                                             "VmPeak:\t  812340 kB\nVmRSS:\t   61234 kB\n"
                                             "RssAnon:\t   20100 kB\nRssFile:\t   40000 kB\n"
                                             "RssShmem:\t    1134 kB\nThreads:\t5\n"
                                             "voluntary_ctxt_switches:\t1234\n"
                                             "nonvoluntary_ctxt_switches:\t56\n")
                               << QList<qint64>{61234, -1, 20100, 40000, 1234, 56};
    // Pss_Anon and the like are other fields.
    QTest::newRow("smaps_rollup")
        << QByteArray("55913c6c4000-7fff8820e000 ---p 00000000 00:00 0    [rollup]\n"
                      "Rss:               45828 kB\nPss:               31997 kB\n"
                      "Pss_Dirty:          8238 kB\nPss_Anon:           8236 kB\n")
        << QList<qint64>{-1, 31997, -1, -1, -1, -1};
    QTest::newRow("a kernel thread has no memory lines")
        << QByteArray("Name:\tkworker/0:1\nvoluntary_ctxt_switches:\t9\n"
                      "nonvoluntary_ctxt_switches:\t0\n")
        << QList<qint64>{-1, -1, -1, -1, 9, 0};
    QTest::newRow("no final newline")
        << QByteArray("VmRSS:\t  100 kB") << QList<qint64>{100, -1, -1, -1, -1, -1};
    // VmRSSx is another field; a prefix must not be taken for the name.
    QTest::newRow("similar names are not the field")
        << QByteArray("VmRSSx:\t5 kB\nRssAnonymous:\t6 kB\nvoluntary_ctxt_switches_x:\t7\n")
        << QList<qint64>{-1, -1, -1, -1, -1, -1};
    QTest::newRow("garbage value")
        << QByteArray("VmRSS:\tlots kB\n") << QList<qint64>{-1, -1, -1, -1, -1, -1};
    QTest::newRow("empty") << QByteArray() << QList<qint64>{-1, -1, -1, -1, -1, -1};
}

void TestBenchStats::parseStatus()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<qint64>, expected);
    const BenchStats::ProcStatus s = BenchStats::parseStatus(text);
    QCOMPARE((QList<qint64>{s.vmRssKiB, s.pssKiB, s.rssAnonKiB, s.rssFileKiB, s.voluntarySwitches,
                            s.involuntarySwitches}),
             expected);
}

void TestBenchStats::statTicks_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("ticks");

    // Fields: pid (comm) state ppid pgrp session tty tpgid flags minflt
    // cminflt majflt cmajflt utime stime ...
    QTest::newRow("plain name") << QByteArray("4242 (quotara) S 1 4242 4242 0 -1 4194560 900 0 3 "
                                              "0 150 27 0 0 20 0 5 0 123 456\n")
                                << qint64(177);
    QTest::newRow("name with spaces and parentheses")
        << QByteArray("77 (a (b) c) R 1 77 77 0 -1 0 0 0 0 0 1000 2000 0 0 20 0 1 0 5 6\n")
        << qint64(3000);
    QTest::newRow("cut short") << QByteArray("77 (x) R 1 77 77 0 -1 0 0 0 0 0 1000\n")
                               << qint64(-1);
    QTest::newRow("no name") << QByteArray("77 x R 1 2 3") << qint64(-1);
    QTest::newRow("empty") << QByteArray() << qint64(-1);
}

void TestBenchStats::statTicks()
{
    QFETCH(QByteArray, text);
    QFETCH(qint64, ticks);
    QCOMPARE(BenchStats::statTicks(text), ticks);
}

// The readings of a live process: this one, with a second thread that
// sleeps and wakes, and some CPU burnt on purpose.
void TestBenchStats::ownProcess()
{
    const qint64 pid = QCoreApplication::applicationPid();
    const BenchStats::ProcStatus status = BenchStats::status(pid);
    QVERIFY(status.vmRssKiB > 0);
    QVERIFY(status.rssAnonKiB > 0);
    QVERIFY(status.pssKiB > 0 && status.pssKiB <= status.vmRssKiB);

    const qint64 before = BenchStats::contextSwitches(pid);
    QVERIFY(before >= 0);
    std::atomic<bool> stop = false;
    std::thread sleeper([&stop] {
        while (!stop)
            QThread::msleep(1);
    });
    // Read while the thread still runs: an ended thread takes its switches
    // out of the sum.
    QTRY_VERIFY(BenchStats::contextSwitches(pid) >= before + 10);
    stop = true;
    sleeper.join();

    using namespace std::chrono_literals;
    const auto cpuBefore = BenchStats::cpuTime();
    const auto statBefore = BenchStats::cpuTime(pid);
    QElapsedTimer wall;
    wall.start();
    volatile double sink = 0;
    while (BenchStats::cpuTime() - cpuBefore < 60ms && wall.elapsed() < 10000)
        sink = sink + std::sqrt(double(wall.nsecsElapsed()));
    QVERIFY(BenchStats::cpuTime() - cpuBefore >= 60ms);
    // /proc/<pid>/stat counts in clock ticks of 10 ms.
    const auto statSpent = BenchStats::cpuTime(pid) - statBefore;
    QVERIFY2(statSpent >= 30ms && statSpent <= 10s, qPrintable(QString::number(statSpent.count())));
    QCOMPARE(BenchStats::contextSwitches(-1), qint64(-1));
    QCOMPARE(BenchStats::status(-1).vmRssKiB, qint64(-1));
}

QTEST_GUILESS_MAIN(TestBenchStats)
#include "tst_benchstats.moc"
