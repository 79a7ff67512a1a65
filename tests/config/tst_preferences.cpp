#include "PreferencesSandbox.h"
#include "config/Preferences.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

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

class TestPreferences : public QObject {
    Q_OBJECT
private slots:
    void init() { clearPreferences(); }
    void bytesSurviveIntoAnotherRun_data();
    void bytesSurviveIntoAnotherRun();
    void typedValues();
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

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("QUOTARA_PROBE_KEY"))
        return probe();
    TestPreferences test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_preferences.moc"
