#include "update/UpdateInfo.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestUpdateInfo : public QObject {
    Q_OBJECT
private slots:
    void decoding_data();
    void decoding();
    void gitHubRelease_data();
    void gitHubRelease();
    void plainNotes_data();
    void plainNotes();
    void openableAddress_data();
    void openableAddress();
};

void TestUpdateInfo::decoding_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<bool>("hasNotes");
    QTest::addColumn<bool>("hasReleaseUrl");

    QTest::newRow("full")
        << QByteArray(
               R"({"version":"1.4.2","notes":"修复","download_url":"https://orlenby.com/q.zip","release_url":"https://github.com/kestrin-orlenby/quotara/releases"})")
        << true << true << true;
    QTest::newRow("optionals null")
        << QByteArray(R"({"version":"1.4.2","notes":null,"download_url":"x","release_url":null})")
        << true << false << false;
    QTest::newRow("optionals missing")
        << QByteArray(R"({"version":" v1.4","download_url":"x","build":7})") << true << false
        << false;
    QTest::newRow("no download_url")
        << QByteArray(R"({"version":"1.4.2"})") << false << false << false;
    QTest::newRow("numeric version")
        << QByteArray(R"({"version":1.4,"download_url":"x"})") << false << false << false;
    QTest::newRow("notes as number")
        << QByteArray(R"({"version":"1","download_url":"x","notes":3})") << false << false << false;
    QTest::newRow("half a surrogate pair")
        << QByteArray(R"({"version":"","download_url":"\ude00"})") << true << false << false;
    QTest::newRow("html page") << QByteArray("<html>404</html>") << false << false << false;
}

void TestUpdateInfo::decoding()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, readable);
    QFETCH(bool, hasNotes);
    QFETCH(bool, hasReleaseUrl);
    const auto info = UpdateInfo::fromJson(json);
    QCOMPARE(info.has_value(), readable);
    if (!info)
        return;
    QCOMPARE(info->notes.has_value(), hasNotes);
    QCOMPARE(info->releaseUrl.has_value(), hasReleaseUrl);
    QCOMPARE(UpdateInfo::fromJson(info->toJson()), info); // written forms read back equal
}

void TestUpdateInfo::gitHubRelease_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("version"); // null: unreadable
    QTest::addColumn<QString>("notes");   // null: none

    QTest::newRow("tag and body") << QByteArray(
                                         R"({"tag_name":"v1.3.0","body":"发布说明","assets":[]})")
                                  << u"1.3.0"_s << u"发布说明"_s;
    QTest::newRow("only one v dropped")
        << QByteArray(R"({"tag_name":"vv2"})") << u"v2"_s << QString();
    QTest::newRow("body null") << QByteArray(R"({"tag_name":"1.1","body":null})") << u"1.1"_s
                               << QString();
    QTest::newRow("no tag") << QByteArray(R"({"name":"Quotara 1.1"})") << QString() << QString();
    QTest::newRow("array") << QByteArray(R"([{"tag_name":"v1"}])") << QString() << QString();
}

void TestUpdateInfo::gitHubRelease()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, version);
    QFETCH(QString, notes);
    const QString page = u"https://github.com/kestrin-orlenby/quotara/releases"_s;
    const auto info = UpdateInfo::fromGitHubRelease(json, page);
    QCOMPARE(info.has_value(), !version.isNull());
    if (!info)
        return;
    QCOMPARE(info->version, version);
    QCOMPARE(info->notes, notes.isNull() ? std::nullopt : std::optional<QString>(notes));
    QCOMPARE(info->downloadUrl, page + u"/latest"_s);
    QCOMPARE(info->releaseUrl, std::optional<QString>(page));
}

void TestUpdateInfo::plainNotes_data()
{
    QTest::addColumn<QString>("notes");
    QTest::addColumn<QString>("line");
    QTest::newRow("plain") << u"修复若干问题"_s << u"修复若干问题"_s;
    QTest::newRow("windows line ends") << u"第一行\r\n第二行\r\n"_s << u"第一行 第二行"_s;
    QTest::newRow("old mac line ends") << u"a\rb"_s << u"a b"_s;
    QTest::newRow("heading and list")
        << u"## 更新内容\n\n- 新增 **基金** 估算\n* 修复 `--watch`\n1. 其他"_s
        << u"更新内容 新增 基金 估算 修复 --watch 其他"_s;
    QTest::newRow("links and images")
        << u"见 [说明](https://x.invalid/a) ![图](https://x.invalid/b.png)"_s << u"见 说明 图"_s;
    QTest::newRow("emphasis, not snake_case")
        << u"> _注意_ *重要* ~~旧~~ keep_this_name"_s << u"注意 重要 旧 keep_this_name"_s;
    QTest::newRow("only marks") << u"\r\n---\n"_s << u"---"_s;
    QTest::newRow("empty") << QString() << QString();
}

void TestUpdateInfo::plainNotes()
{
    QFETCH(QString, notes);
    QFETCH(QString, line);
    QCOMPARE(::plainNotes(notes), line);
}

void TestUpdateInfo::openableAddress_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("openable");
    QTest::newRow("https") << u"https://orlenby.com/works/downloads/quotara.zip"_s << true;
    QTest::newRow("http") << u"http://example.org/a"_s << true;
    QTest::newRow("upper-case scheme") << u"HTTPS://example.org"_s << true;
    QTest::newRow("file") << u"file:///etc/passwd"_s << false;
    QTest::newRow("javascript") << u"javascript:alert(1)"_s << false;
    QTest::newRow("data") << u"data:text/html,<script>x</script>"_s << false;
    QTest::newRow("smb") << u"smb://host/share"_s << false;
    QTest::newRow("no host") << u"https:///path"_s << false;
    QTest::newRow("relative") << u"/downloads/q.zip"_s << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("blank inside") << u"https://exa mple.org"_s << false;
}

void TestUpdateInfo::openableAddress()
{
    QFETCH(QString, address);
    QFETCH(bool, openable);
    QCOMPARE(isOpenableWebAddress(address), openable);
    const UpdateInfo info{.version = u"1"_s, .notes = {}, .downloadUrl = address, .releaseUrl = {}};
    QCOMPARE(info.openableDownloadUrl().has_value(), openable);
}

QTEST_GUILESS_MAIN(TestUpdateInfo)
#include "tst_updateinfo.moc"
