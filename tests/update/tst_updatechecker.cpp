#include "PreferencesSandbox.h"
#include "SimFixture.h"
#include "update/UpdateChecker.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using Status = UpdateChecker::ManualCheckStatus;

class TestUpdateChecker : public QObject {
    Q_OBJECT
private slots:
    void init();
    void compare_data();
    void compare();
    void primaryRecord();
    void gitHubWhenPrimaryFails_data();
    void gitHubWhenPrimaryFails();
    void outcomes_data();
    void outcomes();
    void ignoredVersion();
    void automaticChecksSwitchedOff();
    void manualCheckWhileAutomaticRuns();
    void hostileDownloadAddress();

private:
    std::unique_ptr<UpdateChecker> checker(const QString& version);
    static bool finish(UpdateChecker& checker);

    SimFixture m_fixture;
    const QString m_primaryPath = u"/works/downloads/version.json"_s;
    const QString m_gitHubPath = u"/repos/kestrin-orlenby/quotara/releases/latest"_s;
};

void TestUpdateChecker::init()
{
    clearPreferences();
    m_fixture.reset();
}

std::unique_ptr<UpdateChecker> TestUpdateChecker::checker(const QString& version)
{
    return std::make_unique<UpdateChecker>(nullptr, version, m_fixture.origin(),
                                           m_fixture.origin());
}

bool TestUpdateChecker::finish(UpdateChecker& checker)
{
    QSignalSpy done(&checker, &UpdateChecker::checkFinished);
    return done.wait(10000) && !checker.isChecking();
}

void TestUpdateChecker::compare_data()
{
    QTest::addColumn<QString>("remote");
    QTest::addColumn<QString>("local");
    QTest::addColumn<bool>("newer");
    QTest::newRow("1.10 > 1.9") << u"1.10"_s << u"1.9"_s << true;
    QTest::newRow("1.2 = 1.2.0") << u"1.2.0"_s << u"1.2"_s << false;
    QTest::newRow("2.0.1 > 2") << u"2.0.1"_s << u"2"_s << true;
    QTest::newRow("older") << u"1.2.8"_s << u"1.2.9"_s << false;
    QTest::newRow("beta piece dropped") << u"1.2.0-beta"_s << u"1.1"_s << true;
    QTest::newRow("beta not newer than itself") << u"1.2.0-beta"_s << u"1.2"_s << false;
    QTest::newRow("empty pieces dropped") << u"1..3"_s << u"1.2"_s << true;
    QTest::newRow("unparsable is 0") << u"abc"_s << u"0"_s << false;
    QTest::newRow("anything beats unparsable") << u"0.0.1"_s << u"dev"_s << true;
    QTest::newRow("v prefix is not a number") << u"v2.0"_s << u"1.0"_s << false;
    QTest::newRow("signed piece") << u"1.+3"_s << u"1.2"_s << true;
    QTest::newRow("huge piece") << u"1.99999999999999999999"_s << u"1.5"_s << false;
}

void TestUpdateChecker::compare()
{
    QFETCH(QString, remote);
    QFETCH(QString, local);
    QTEST(UpdateChecker::isNewer(remote, local), "newer");
}

void TestUpdateChecker::primaryRecord()
{
    m_fixture.sim().setVersionRecord(
        R"({"version":"1.4.2","notes":"新功能","download_url":"https://orlenby.com/q.zip"})");
    auto c = checker(u"1.2.9"_s);
    c->manualCheck();
    QCOMPARE(c->manualCheckStatus(), Status::checking);
    QVERIFY(finish(*c));
    QCOMPARE(c->manualCheckStatus(), Status::newVersion);
    QVERIFY(c->availableUpdate());
    QCOMPARE(c->availableUpdate()->version, u"1.4.2"_s);
    // A record without "release_url" points at the releases page.
    QCOMPARE(c->availableUpdate()->releaseUrl,
             std::optional<QString>(u"https://github.com/kestrin-orlenby/quotara/releases"_s));

    const auto requests = m_fixture.sim().requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0].path, m_primaryPath);
    QCOMPARE(requests[0].header("User-Agent"), QByteArray("OrlenbyQuotara/1.2.9"));
    QVERIFY(requests[0].header("Referer").isEmpty());
    QVERIFY(requests[0].header("Accept").isEmpty());
}

void TestUpdateChecker::gitHubWhenPrimaryFails_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::newRow("404") << Fault::status(404);
    QTest::newRow("not a record") << Fault::body(200, R"({"latest":"1.3.0"})");
    QTest::newRow("html") << Fault::body(200, "<html></html>", "text/html");
    QTest::newRow("dropped") << Fault::drop();
    QTest::newRow("silent past 3 s") << Fault::stall();
}

void TestUpdateChecker::gitHubWhenPrimaryFails()
{
    QFETCH(Fault, fault);
    m_fixture.sim().addFault(m_primaryPath, fault);
    m_fixture.sim().setGithubRelease(
        R"({"tag_name":"v1.3.0","body":"发布说明","html_url":"x","assets":[]})");
    auto c = checker(u"1.2.9"_s);
    c->manualCheck();
    QVERIFY(finish(*c));
    QCOMPARE(c->manualCheckStatus(), Status::newVersion);
    QVERIFY(c->availableUpdate());
    QCOMPARE(c->availableUpdate()->version, u"1.3.0"_s);
    QCOMPARE(c->availableUpdate()->notes, std::optional<QString>(u"发布说明"_s));
    QCOMPARE(c->availableUpdate()->downloadUrl,
             u"https://github.com/kestrin-orlenby/quotara/releases/latest"_s);

    // Qt sends a request again once when the connection drops before any
    // answer, so count only the GitHub request.
    const auto requests = m_fixture.sim().requests();
    QCOMPARE(requests.last().path, m_gitHubPath);
    QCOMPARE(std::count_if(requests.begin(), requests.end(),
                           [&](const RecordedRequest& r) { return r.path == m_gitHubPath; }),
             1);
    QCOMPARE(requests.last().header("Accept"), QByteArray("application/vnd.github+json"));
    QCOMPARE(requests.last().header("User-Agent"), QByteArray("OrlenbyQuotara/1.2.9"));
}

void TestUpdateChecker::outcomes_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QByteArray>("record");  // empty: primary fails
    QTest::addColumn<QByteArray>("release"); // empty: GitHub fails
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("banner"); // null: none

    QTest::newRow("same version, more pieces")
        << u"1.2"_s << QByteArray(R"({"version":"1.2.0","download_url":"x"})") << QByteArray()
        << int(Status::upToDate) << QString();
    QTest::newRow("pre-release suffix")
        << u"1.1"_s << QByteArray(R"({"version":"1.2.0-beta","download_url":"x"})") << QByteArray()
        << int(Status::newVersion) << u"1.2.0-beta"_s;
    QTest::newRow("tag without v")
        << u"1.0"_s << QByteArray() << QByteArray(R"({"tag_name":"1.1"})")
        << int(Status::newVersion) << u"1.1"_s;
    QTest::newRow("tag not a string") << u"1.0"_s << QByteArray() << QByteArray(R"({"tag_name":2})")
                                      << int(Status::failed) << QString();
    QTest::newRow("both fail") << u"1.0"_s << QByteArray() << QByteArray() << int(Status::failed)
                               << QString();
}

void TestUpdateChecker::outcomes()
{
    QFETCH(QString, current);
    QFETCH(QByteArray, record);
    QFETCH(QByteArray, release);
    QFETCH(int, status);
    QFETCH(QString, banner);
    if (record.isEmpty())
        m_fixture.sim().addFault(m_primaryPath, Fault::status(500));
    else
        m_fixture.sim().setVersionRecord(record);
    if (release.isEmpty())
        m_fixture.sim().addFault(m_gitHubPath, Fault::status(403));
    else
        m_fixture.sim().setGithubRelease(release);

    // An automatic check never moves the manual status.
    auto automatic = checker(current);
    automatic->checkForUpdate();
    QVERIFY(finish(*automatic));
    QCOMPARE(automatic->manualCheckStatus(), Status::idle);
    QCOMPARE(automatic->availableUpdate().has_value(), !banner.isNull());

    auto manual = checker(current);
    manual->manualCheck();
    QVERIFY(finish(*manual));
    QCOMPARE(int(manual->manualCheckStatus()), status);
    QCOMPARE(manual->availableUpdate().has_value(), !banner.isNull());
    if (manual->availableUpdate())
        QCOMPARE(manual->availableUpdate()->version, banner);
}

void TestUpdateChecker::ignoredVersion()
{
    m_fixture.sim().setVersionRecord(
        R"({"version":"1.3.0","download_url":"https://orlenby.com/q.zip"})");
    auto c = checker(u"1.2.9"_s);
    c->checkForUpdate();
    QVERIFY(finish(*c));
    QVERIFY(c->availableUpdate());
    c->ignoreCurrentVersion();
    QVERIFY(!c->availableUpdate());
    QCOMPARE(c->ignoredVersion(), std::optional<QString>(u"1.3.0"_s));

    auto later = checker(u"1.2.9"_s); // the choice survives a restart
    later->checkForUpdate();
    QVERIFY(finish(*later));
    QVERIFY(!later->availableUpdate());

    later->manualCheck(); // shows an ignored release again
    QVERIFY(!later->ignoredVersion());
    QVERIFY(finish(*later));
    QCOMPARE(later->manualCheckStatus(), Status::newVersion);
    QVERIFY(later->availableUpdate());
}

void TestUpdateChecker::automaticChecksSwitchedOff()
{
    auto c = checker(u"1.0"_s);
    QVERIFY(c->autoCheckEnabled()); // never written: on
    c->setAutoCheckEnabled(false);
    QVERIFY(!checker(u"1.0"_s)->autoCheckEnabled());
    c->checkForUpdate();
    QVERIFY(!c->isChecking());
    QCOMPARE(m_fixture.sim().requests().size(), 0);
    c->manualCheck();
    QVERIFY(finish(*c));
    QCOMPARE(m_fixture.sim().requests().size(), 1);
}

void TestUpdateChecker::manualCheckWhileAutomaticRuns()
{
    m_fixture.sim().addFault(m_primaryPath, Fault::delay(300));
    auto c = checker(u"1.0"_s);
    c->checkForUpdate();
    QVERIFY(c->isChecking());
    c->manualCheck();
    QCOMPARE(c->manualCheckStatus(), Status::idle);
    QVERIFY(finish(*c));
    QCOMPARE(c->manualCheckStatus(), Status::idle);
    QCOMPARE(m_fixture.sim().requests().size(), 1);
}

void TestUpdateChecker::hostileDownloadAddress()
{
    m_fixture.sim().setVersionRecord(R"j({"version":"9.0","download_url":"javascript:alert(1)"})j");
    auto c = checker(u"1.0"_s);
    c->checkForUpdate();
    QVERIFY(finish(*c));
    QVERIFY(c->availableUpdate());
    QVERIFY(!c->availableUpdate()->openableDownloadUrl());
}

QTEST_GUILESS_MAIN(TestUpdateChecker)
#include "tst_updatechecker.moc"
