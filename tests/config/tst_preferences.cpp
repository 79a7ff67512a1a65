#include "PreferencesSandbox.h"
#include "config/Preferences.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <iostream>
#include <string>

using namespace Qt::StringLiterals;

// Run with QUOTARA_PROBE_KEY set, the binary only prints what is stored under
// that key, as a separate process reading the file a previous run wrote.
static int probe()
{
    Preferences preferences;
    const QString key = qEnvironmentVariable("QUOTARA_PROBE_KEY");
    const auto bytes = preferences.data(key);
    std::fputs(bytes ? bytes->toHex().constData() : "<absent>", stdout);
    return 0;
}

// Run with QUOTARA_WRITER_KEY set, it stores each line of its standard input
// under that key and answers "written", as another process writing the same
// file while the test writes it too.
static int writer()
{
    Preferences preferences;
    const QString key = qEnvironmentVariable("QUOTARA_WRITER_KEY");
    std::string line;
    while (std::getline(std::cin, line)) {
        preferences.setString(key, QString::fromStdString(line));
        std::puts("written");
        std::fflush(stdout);
    }
    return 0;
}

class TestPreferences : public QObject {
    Q_OBJECT
private slots:
    void init() { clearPreferences(); }
    void bytesSurviveIntoAnotherRun_data();
    void bytesSurviveIntoAnotherRun();
    void typedValues();
    void twoProcessesWritingKeepEachOthersValues();
    void aWriteLeavesTheFileNewerThanBefore();
};

void TestPreferences::bytesSurviveIntoAnotherRun_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray every;
    for (int i = 0; i < 256; ++i)
        every.append(char(i));
    QTest::newRow("watch list json")
        << QByteArray(R"({"sectors":[{"code":"BK0475","name":"半导体"}],"funds":[]})");
    QTest::newRow("every byte value") << every;
    QTest::newRow("ini syntax") << QByteArray("[General]\nkey=value\n@ByteArray(x)\\;\"");
    QTest::newRow("empty") << QByteArray();
}

void TestPreferences::bytesSurviveIntoAnotherRun()
{
    QFETCH(QByteArray, bytes);
    const QString key = u"com.orlenby.quotara.WatchConfig"_s;
    Preferences().setData(key, bytes);

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QUOTARA_PROBE_KEY"_s, key);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(QByteArray::fromHex(child.readAllStandardOutput()), bytes);
}

void TestPreferences::typedValues()
{
    Preferences preferences;
    const QString flag = u"com.orlenby.quotara.autoCheckUpdate"_s;
    const QString text = u"com.orlenby.quotara.ignoredVersion"_s;
    QVERIFY(!preferences.boolean(flag));
    preferences.setBoolean(flag, false);
    QCOMPARE(preferences.boolean(flag), std::optional<bool>(false));
    QVERIFY(!preferences.string(text));
    preferences.setString(text, u"1.3.0"_s);
    QCOMPARE(Preferences().string(text), std::optional<QString>(u"1.3.0"_s));
    preferences.remove(text);
    QVERIFY(!preferences.contains(text));
    QVERIFY(!Preferences().string(text));
}

// Two processes write different keys of one file, turn about, each soon
// after the other, with values that leave the file's size as it was. Each
// must see the other's value and keep it when it writes its own: QSettings
// reads the file again only when its size or time changed.
void TestPreferences::twoProcessesWritingKeepEachOthersValues()
{
    const QString mine = u"com.orlenby.quotara.ignoredVersion"_s;
    const QString theirs = u"com.orlenby.quotara.CollapsedGroups"_s;
    QProcess other;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QUOTARA_WRITER_KEY"_s, theirs);
    other.setProcessEnvironment(env);
    other.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(other.waitForStarted(5000));

    Preferences here;
    for (int round = 0; round < 40; ++round) {
        const QString value = QString::number(round % 10);
        here.setString(mine, u"here-"_s + value);
        other.write((u"there-"_s + value + u'\n').toUtf8());
        while (!other.canReadLine())
            QVERIFY(other.waitForReadyRead(10000));
        QCOMPARE(other.readLine().trimmed(), QByteArray("written"));
        here.reload();
        QCOMPARE(here.string(theirs), std::optional<QString>(u"there-"_s + value));
        QCOMPARE(here.string(mine), std::optional<QString>(u"here-"_s + value));
    }
    other.closeWriteChannel();
    QVERIFY(other.waitForFinished(5000));
}

// Another process notices a write by the file's time, so a write must never
// leave the file with a time at or before the one it had: not when file
// times advance by clock ticks of several milliseconds (two writes within a
// tick), nor when the clock has been set back.
void TestPreferences::aWriteLeavesTheFileNewerThanBefore()
{
    Preferences preferences;
    const QString key = u"com.orlenby.quotara.ignoredVersion"_s;
    preferences.setString(key, u"1.0.0"_s);
    const QDateTime ahead = QDateTime::currentDateTime().addSecs(3600);
    {
        QFile file(preferences.fileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.setFileTime(ahead, QFileDevice::FileModificationTime));
    }
    preferences.setString(key, u"1.0.1"_s);
    QVERIFY2(
        QFileInfo(preferences.fileName()).lastModified() > ahead,
        qPrintable(QFileInfo(preferences.fileName()).lastModified().toString(Qt::ISODateWithMs)));
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("QUOTARA_PROBE_KEY"))
        return probe();
    if (qEnvironmentVariableIsSet("QUOTARA_WRITER_KEY"))
        return writer();
    TestPreferences test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_preferences.moc"
