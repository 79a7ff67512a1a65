#include <QtNetwork>
#include <QtTest>

#include "SimProvider.h"

using namespace Qt::StringLiterals;

namespace {

struct Reply {
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    int status = 0;
    QByteArray contentType;
    QByteArray body;
    qint64 elapsedMs = 0;
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
};

QDateTime shanghai(int y, int mo, int d, int h, int mi)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi), SimCalendar::shanghai());
}

const QString kUlist = u"/api/qt/ulist.np/get"_s;
const QString kClist = u"/api/qt/clist/get"_s;

QString clistQuery(const QString& board, int po, int pn, int pz, int np)
{
    const auto n = [](int v) { return QString::number(v); };
    return kClist +
           u"?pn=%1&pz=%2&po=%3&np=%4&fltt=2&invt=2&fid=f6&fs=b:%5&fields=f2,f3,f6,f12,f14"_s.arg(
               n(pn), n(pz), n(po), n(np), board);
}

// The address sanitizer keeps freed memory in quarantine, so the resident size
// grows with everything a stream ever allocated; it says nothing there.
#ifdef __SANITIZE_ADDRESS__
constexpr bool kResidentSizeMeaningful = false;
#else
constexpr bool kResidentSizeMeaningful = true;
#endif

qint64 residentBytes()
{
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    return statm.readAll().split(' ').value(1).toLongLong() * 4096;
}

} // namespace

// The clock stands at Tuesday 2024-06-04 10:00 in Shanghai unless a case moves it.
class TestSimProvider : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void ulistRows_data();
    void ulistRows();
    void ulistScalesWithoutFltt();
    void suspendedStockShowsDashes();
    void clistOrder_data();
    void clistOrder();
    void clistPagesAndObjectForm();
    void unknownIdsGiveNullData_data();
    void unknownIdsGiveNullData();
    void routesAgree();
    void fundHoldingsAreQuoted();
    void trendsStopAtNow_data();
    void trendsStopAtNow();
    void fundInfo_data();
    void fundInfo();
    void fundRoutesNeedReferer_data();
    void fundRoutesNeedReferer();
    void updateSourcesAndMissingPaths();
    void sameSeedSameAnswers();
    void answersFollowChanges_data();
    void answersFollowChanges();
    void faults_data();
    void faults();
    void delays_data();
    void delays();
    void heldAnswersKeepTheirOwnTime_data();
    void heldAnswersKeepTheirOwnTime();
    void faultMatching();
    void hugeBodyIsExactJson_data();
    void hugeBodyIsExactJson();
    void hugeBodyStreamsWithFlatMemory();
    void hugeBodyCanBeAbortedEarly();
    void requestsAreRecorded();
    void executablePrintsOrigin();
    void executableOptions_data();
    void executableOptions();
    void executableRejectsBadOptions_data();
    void executableRejectsBadOptions();

private:
    Reply get(const QString& pathAndQuery, bool referer = false, int timeoutMs = 10000,
              SimProvider* sim = nullptr);
    QJsonArray ulistRows(const QString& secids, const QString& fields);
    QJsonArray diff(const QString& pathAndQuery)
    {
        return get(pathAndQuery).json()[u"data"_s][u"diff"_s].toArray();
    }

    std::unique_ptr<SimProvider> m_sim;
    QNetworkAccessManager m_nam;
};

Reply TestSimProvider::get(const QString& pathAndQuery, bool referer, int timeoutMs,
                           SimProvider* sim)
{
    QNetworkRequest request(QUrl((sim ? sim : m_sim.get())->origin() + pathAndQuery));
    if (referer)
        request.setRawHeader("Referer", "https://mpservice.com/");
    request.setTransferTimeout(timeoutMs);
    QElapsedTimer timer;
    timer.start();
    QNetworkReply* reply = m_nam.get(request);
    QSignalSpy finished(reply, &QNetworkReply::finished);
    if (!reply->isFinished())
        finished.wait(timeoutMs + 5000);
    Reply out;
    out.elapsedMs = timer.elapsed();
    out.error = reply->error();
    out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    out.contentType = reply->rawHeader("Content-Type");
    out.body = reply->readAll();
    reply->deleteLater();
    return out;
}

QJsonArray TestSimProvider::ulistRows(const QString& secids, const QString& fields)
{
    return diff(kUlist + u"?fltt=2&secids="_s + secids + u"&fields="_s + fields);
}

void TestSimProvider::initTestCase()
{
    m_sim = std::make_unique<SimProvider>(1);
    QVERIFY(m_sim->listen() != 0);
    QVERIFY(m_sim->origin().startsWith(u"http://127.0.0.1:"_s));
}

void TestSimProvider::init()
{
    m_sim->setClock([] { return shanghai(2024, 6, 4, 10, 0); });
    m_sim->setLatency(0);
    m_sim->clearFaults();
    m_sim->clearRequests();
}

void TestSimProvider::ulistRows_data()
{
    QTest::addColumn<QString>("secids");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("every market") << u"113.aum,90.BK0475,1.600519,0.000568,116.00700"_s
                                  << u"f2,f3,f12,f14"_s
                                  << QStringList{u"aum"_s, u"BK0475"_s, u"600519"_s, u"000568"_s,
                                                 u"00700"_s};
    QTest::newRow("request order kept")
        << u"116.03690,1.600519"_s << u"f12,f18,f6"_s << QStringList{u"03690"_s, u"600519"_s};
    QTest::newRow("unknown ids skipped")
        << u"1.999999,0.000858,90.BK9999"_s << u"f12"_s << QStringList{u"000858"_s};
}

void TestSimProvider::ulistRows()
{
    QFETCH(QString, secids);
    QFETCH(QString, fields);
    QFETCH(QStringList, codes);
    const Reply r = get(kUlist + u"?fltt=2&secids="_s + secids + u"&fields="_s + fields);
    QCOMPARE(r.status, 200);
    QCOMPARE(r.contentType, "application/json; charset=utf-8");
    const QJsonObject data = r.json().value(u"data"_s).toObject();
    const QJsonArray diff = data.value(u"diff"_s).toArray();
    QCOMPARE(data.value(u"total"_s).toInt(), codes.size());
    QCOMPARE(diff.size(), codes.size());
    QStringList wanted = fields.split(u',');
    wanted.sort();
    for (int i = 0; i < codes.size(); ++i) {
        const QJsonObject row = diff.at(i).toObject();
        QStringList keys = row.keys();
        keys.sort();
        QCOMPARE(keys, wanted);
        QCOMPARE(row.value(u"f12"_s).toString(), codes.at(i));
    }
}

void TestSimProvider::ulistScalesWithoutFltt()
{
    const QString query = u"?secids=1.600519,113.aum&fields=f2,f3,f18"_s;
    const QJsonArray scaled = diff(kUlist + query);
    const QJsonArray plain = diff(kUlist + query + u"&fltt=2"_s);
    QCOMPARE(scaled.size(), 2);
    for (int i = 0; i < 2; ++i) {
        for (const QString& f : {u"f2"_s, u"f3"_s, u"f18"_s}) {
            const QJsonValue s = scaled.at(i)[f];
            QVERIFY(s.isDouble() && s.toDouble() == std::round(s.toDouble()));
            QCOMPARE(qint64(s.toDouble()), std::llround(plain.at(i)[f].toDouble() * 100));
        }
    }
}

void TestSimProvider::suspendedStockShowsDashes()
{
    const int suspended = m_sim->market().suspended().constFirst();
    const auto& stock = m_sim->market().catalog().instruments().at(suspended);
    const QJsonObject row = ulistRows(stock.secid(), u"f2,f3,f6,f12,f18"_s).at(0).toObject();
    QCOMPARE(row[u"f2"_s].toString(), u"-"_s);
    QCOMPARE(row[u"f3"_s].toString(), u"-"_s);
    QVERIFY(row[u"f18"_s].toDouble() > 0);
    // In a board list it keeps its dashes and sinks below every traded stock.
    for (const auto& board : m_sim->market().catalog().boards()) {
        const bool member = std::any_of(board.members.cbegin(), board.members.cend(),
                                        [&](const auto& m) { return m.instrument == suspended; });
        if (!member)
            continue;
        const QString code = m_sim->market().catalog().instruments().at(board.instrument).code;
        const QJsonArray rows = diff(clistQuery(code, 1, 1, 100, 1));
        QCOMPARE(rows.last()[u"f6"_s].toString(), u"-"_s);
        return;
    }
    QFAIL("suspended stock belongs to no board");
}

void TestSimProvider::clistOrder_data()
{
    QTest::addColumn<int>("po");
    QTest::newRow("descending") << 1;
    QTest::newRow("ascending") << 0;
}

void TestSimProvider::clistOrder()
{
    QFETCH(int, po);
    const Reply r = get(clistQuery(u"BK0438"_s, po, 1, 100, 1));
    const QJsonObject data = r.json()[u"data"_s].toObject();
    const QJsonArray rows = data[u"diff"_s].toArray();
    QCOMPARE(data[u"total"_s].toInt(), 40);
    QCOMPARE(rows.size(), 40);
    for (int i = 1; i < rows.size(); ++i) {
        const QJsonValue a = rows.at(i - 1)[u"f6"_s], b = rows.at(i)[u"f6"_s];
        if (b.isString())
            continue; // dashes last
        QVERIFY(a.isDouble());
        QVERIFY(po ? a.toDouble() >= b.toDouble() : a.toDouble() <= b.toDouble());
    }
}

void TestSimProvider::clistPagesAndObjectForm()
{
    const QJsonArray all = diff(clistQuery(u"BK0475"_s, 1, 1, 100, 1));
    QJsonArray paged;
    for (int pn = 1; pn <= 4; ++pn) {
        const QJsonObject data =
            get(clistQuery(u"BK0475"_s, 1, pn, 10, 1)).json()[u"data"_s].toObject();
        QCOMPARE(data[u"total"_s].toInt(), 32);
        for (const QJsonValue& row : data[u"diff"_s].toArray())
            paged.append(row);
    }
    QCOMPARE(paged, all);
    const QJsonObject keyed =
        get(clistQuery(u"BK0475"_s, 1, 2, 10, 0)).json()[u"data"_s][u"diff"_s].toObject();
    QCOMPARE(keyed.size(), 10);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(keyed[QString::number(i)], all.at(10 + i));
}

void TestSimProvider::unknownIdsGiveNullData_data()
{
    QTest::addColumn<QString>("pathAndQuery");
    QTest::addColumn<QString>("key");
    QTest::newRow("ulist") << kUlist + u"?fltt=2&secids=1.999999,90.BK9999&fields=f2"_s
                           << u"data"_s;
    QTest::newRow("clist") << clistQuery(u"BK9999"_s, 1, 1, 10, 1) << u"data"_s;
    QTest::newRow("trends") << u"/api/qt/stock/trends2/get?secid=1.999999&ndays=1"_s << u"data"_s;
    QTest::newRow("fund positions")
        << u"/FundMNewApi/FundMNInverstPosition?FCODE=999999"_s << u"Datas"_s;
}

void TestSimProvider::unknownIdsGiveNullData()
{
    QFETCH(QString, pathAndQuery);
    QFETCH(QString, key);
    const Reply r = get(pathAndQuery, true);
    QCOMPARE(r.status, 200);
    QVERIFY(r.json().contains(key));
    QVERIFY(r.json()[key].isNull());
    if (key == u"Datas")
        QVERIFY(!r.json()[u"Success"_s].toBool());
}

void TestSimProvider::routesAgree()
{
    m_sim->setClock([] { return shanghai(2024, 6, 4, 13, 47); });
    for (const auto& board : m_sim->market().catalog().boards()) {
        const QString secid = m_sim->market().catalog().instruments().at(board.instrument).secid();
        const QJsonObject quote = ulistRows(secid, u"f2,f18"_s).at(0).toObject();
        const QJsonObject trend = get(u"/api/qt/stock/trends2/get?secid="_s + secid + u"&ndays=1"_s)
                                      .json()[u"data"_s]
                                      .toObject();
        const QString last = trend[u"trends"_s].toArray().last().toString();
        QCOMPARE(quote[u"f2"_s].toDouble(), last.split(u',').at(2).toDouble());
        QCOMPARE(quote[u"f18"_s].toDouble(), trend[u"preClose"_s].toDouble());
    }
    const QJsonArray listed = diff(clistQuery(u"BK0547"_s, 1, 1, 100, 1));
    QStringList secids;
    for (const QJsonValue& row : listed) {
        const QString code = row[u"f12"_s].toString();
        secids.append((code.startsWith(u'6') ? u"1."_s : u"0."_s) + code);
    }
    const QJsonArray quoted = ulistRows(secids.join(u','), u"f2,f3,f6,f12,f14"_s);
    QCOMPARE(quoted, listed);
}

void TestSimProvider::fundHoldingsAreQuoted()
{
    static const QHash<QString, QString> kPrefix{
        {u"1"_s, u"1."_s}, {u"2"_s, u"0."_s}, {u"5"_s, u"116."_s}};
    int withoutStocks = 0;
    for (const auto& fund : m_sim->market().catalog().funds()) {
        const QJsonObject body =
            get(u"/FundMNewApi/FundMNInverstPosition?FCODE="_s + fund.code, true).json();
        QCOMPARE(body[u"Expansion"_s].toString(), u"2024-03-31"_s);
        QVERIFY(body[u"Datas"_s][u"fundStocks"_s].isArray());
        const QJsonArray stocks = body[u"Datas"_s][u"fundStocks"_s].toArray();
        QStringList secids;
        double weight = 0;
        for (const QJsonValue& s : stocks) {
            const QString exchange = s[u"TEXCH"_s].toString();
            QVERIFY(kPrefix.contains(exchange));
            QCOMPARE(exchange == u"5", s[u"GPDM"_s].toString().size() == 5);
            secids.append(kPrefix.value(exchange) + s[u"GPDM"_s].toString());
            weight += s[u"JZBL"_s].toString().toDouble();
        }
        if (stocks.isEmpty()) {
            ++withoutStocks;
            continue;
        }
        QVERIFY2(weight >= 40 && weight <= 70, qPrintable(fund.code));
        const QJsonArray quoted = ulistRows(secids.join(u','), u"f12,f14"_s);
        QCOMPARE(quoted.size(), stocks.size());
        for (int i = 0; i < quoted.size(); ++i)
            QCOMPARE(quoted.at(i)[u"f14"_s], stocks.at(i)[u"GPJC"_s]);
    }
    QVERIFY(withoutStocks >= 1);
}

void TestSimProvider::trendsStopAtNow_data()
{
    QTest::addColumn<QString>("secid");
    QTest::addColumn<int>("ndays");
    QTest::addColumn<QDateTime>("instant");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");

    const QDateTime tuesday10 = shanghai(2024, 6, 4, 10, 0);
    QTest::newRow("board in the morning")
        << u"90.BK0475"_s << 1 << tuesday10 << 31
        << QStringList{u"2024-06-04 09:30"_s, u"2024-06-04 10:00"_s}
        << QStringList{u"2024-06-04 10:01"_s, u"2024-06-03 15:00"_s};
    QTest::newRow("board before the open shows yesterday")
        << u"90.BK0475"_s << 1 << shanghai(2024, 6, 4, 8, 0) << 241
        << QStringList{u"2024-06-03 09:30"_s, u"2024-06-03 15:00"_s}
        << QStringList{u"2024-06-04 09:30"_s};
    QTest::newRow("stock after lunch")
        << u"1.600519"_s << 1 << shanghai(2024, 6, 4, 14, 7) << 188
        << QStringList{u"2024-06-04 11:30"_s, u"2024-06-04 13:01"_s, u"2024-06-04 14:07"_s}
        << QStringList{u"2024-06-04 12:00"_s, u"2024-06-04 14:08"_s};
    QTest::newRow("gold two days with their nights")
        << u"113.aum"_s << 2 << tuesday10 << 555 + 390
        << QStringList{u"2024-05-31 21:01"_s, u"2024-06-01 02:30"_s, u"2024-06-03 15:00"_s,
                       u"2024-06-03 21:01"_s, u"2024-06-04 00:00"_s, u"2024-06-04 02:30"_s,
                       u"2024-06-04 10:00"_s}
        << QStringList{u"2024-06-04 02:31"_s, u"2024-06-04 10:01"_s, u"2024-05-31 15:00"_s};
}

void TestSimProvider::trendsStopAtNow()
{
    QFETCH(QString, secid);
    QFETCH(int, ndays);
    QFETCH(QDateTime, instant);
    QFETCH(int, count);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    m_sim->setClock([instant] { return instant; });
    const Reply r =
        get(u"/api/qt/stock/trends2/get?secid=%1&fields1=f1,f2,f3,f4,f5,f6,f7,f8,f9,"
            u"f10,f11,f12,f13&fields2=f51,f52,f53,f54,f55,f56,f57,f58&iscr=0&ndays=%2"_s.arg(secid)
                .arg(ndays));
    const QJsonArray lines = r.json()[u"data"_s][u"trends"_s].toArray();
    QCOMPARE(lines.size(), count);
    static const QRegularExpression kLine(
        u"^(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d)(,\\d+\\.\\d\\d){4},\\d+,\\d+\\.\\d\\d,\\d+\\.\\d{3}$"_s);
    QStringList stamps;
    for (const QJsonValue& line : lines) {
        const auto m = kLine.match(line.toString());
        QVERIFY2(m.hasMatch(), qPrintable(line.toString()));
        QVERIFY(stamps.isEmpty() || stamps.constLast() < m.captured(1));
        stamps.append(m.captured(1));
    }
    QCOMPARE(stamps.constLast(), present.constLast());
    for (const QString& s : present)
        QVERIFY2(stamps.contains(s), qPrintable(s));
    for (const QString& s : absent)
        QVERIFY2(!stamps.contains(s), qPrintable(s));
}

void TestSimProvider::fundInfo_data()
{
    QTest::addColumn<QString>("fcodes");
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("request order") << u"005827,161725"_s << QStringList{u"005827"_s, u"161725"_s};
    QTest::newRow("unknown omitted") << u"999999,110011"_s << QStringList{u"110011"_s};
    QTest::newRow("new fund") << u"023350"_s << QStringList{u"023350"_s};
    QTest::newRow("none known") << u"999999"_s << QStringList{};
}

void TestSimProvider::fundInfo()
{
    QFETCH(QString, fcodes);
    QFETCH(QStringList, codes);
    const QJsonObject body =
        get(u"/FundMNewApi/FundMNFInfo?pageIndex=1&pageSize=1&Fcodes="_s + fcodes +
                u"&deviceid=Wap&plat=Wap&product=EFund&version=6.2.8"_s,
            true)
            .json();
    QVERIFY(body[u"Success"_s].toBool());
    const QJsonArray rows = body[u"Datas"_s].toArray();
    QVERIFY(body[u"Datas"_s].isArray());
    QCOMPARE(rows.size(), codes.size());
    QCOMPARE(body[u"TotalCount"_s].toInt(), codes.size());
    for (int i = 0; i < codes.size(); ++i) {
        const QJsonObject row = rows.at(i).toObject();
        QCOMPARE(row[u"FCODE"_s].toString(), codes.at(i));
        QCOMPARE(row[u"PDATE"_s].toString(), u"2024-06-03"_s); // tonight's value is not out yet
        bool ok = false;
        QVERIFY(row[u"NAV"_s].toString().toDouble(&ok) > 0.5 && ok);
        QVERIFY(row[u"ACCNAV"_s].toString().toDouble(&ok) >= 0.5 && ok);
        const QString change = row[u"NAVCHGRT"_s].toString();
        if (codes.at(i) == u"023350")
            QCOMPARE(change, u"--"_s);
        else
            QVERIFY(change.toDouble(&ok) > -11 && ok);
    }
}

void TestSimProvider::fundRoutesNeedReferer_data()
{
    QTest::addColumn<QString>("pathAndQuery");
    QTest::newRow("info") << u"/FundMNewApi/FundMNFInfo?Fcodes=161725"_s;
    QTest::newRow("positions") << u"/FundMNewApi/FundMNInverstPosition?FCODE=161725"_s;
}

void TestSimProvider::fundRoutesNeedReferer()
{
    QFETCH(QString, pathAndQuery);
    const QJsonObject refused = get(pathAndQuery).json();
    QCOMPARE(refused[u"ErrCode"_s].toInt(), 61101);
    QVERIFY(!refused[u"Success"_s].toBool());
    QVERIFY(refused[u"Datas"_s].isNull());
    QVERIFY(get(pathAndQuery, true).json()[u"Success"_s].toBool());
}

void TestSimProvider::updateSourcesAndMissingPaths()
{
    const QJsonObject version = get(u"/works/downloads/version.json"_s).json();
    QVERIFY(!version[u"version"_s].toString().isEmpty());
    QCOMPARE(version[u"download_url"_s].toString(),
             u"https://orlenby.com/works/downloads/quotara.zip"_s);
    QVERIFY(get(u"/repos/kestrin-orlenby/quotara/releases/latest"_s)
                .json()[u"tag_name"_s]
                .toString()
                .startsWith(u'v'));
    m_sim->setVersionRecord(R"({"version":"9.9.9","notes":"x"})"_ba);
    m_sim->setGithubRelease(R"({"tag_name":"v9.9.9","body":"y"})"_ba);
    QCOMPARE(get(u"/works/downloads/version.json"_s).body, R"({"version":"9.9.9","notes":"x"})"_ba);
    QCOMPARE(get(u"/repos/kestrin-orlenby/quotara/releases/latest"_s).json()[u"tag_name"_s],
             u"v9.9.9"_s);

    const Reply missing = get(u"/api/qt/nothing/get?x=1"_s);
    QCOMPARE(missing.status, 404);
    QVERIFY(QJsonDocument::fromJson(missing.body).isObject());
}

void TestSimProvider::answersFollowChanges_data()
{
    // Within one second the same request is answered from memory; whatever
    // changes the answer must still show at once.
    QTest::addColumn<QString>("change");
    QTest::newRow("nothing") << u"none"_s;
    QTest::newRow("a minute later") << u"minute"_s;
    QTest::newRow("stock suspended") << u"suspend"_s;
    QTest::newRow("close pinned") << u"pin"_s;
}

void TestSimProvider::answersFollowChanges()
{
    QFETCH(QString, change);
    // A simulator of its own: the changes would outlast the case.
    SimProvider sim(1);
    QVERIFY(sim.listen() != 0);
    sim.setClock([] { return shanghai(2024, 6, 4, 10, 0); });
    const QString query = kUlist + u"?fltt=2&secids=1.600519&fields=f2,f3,f12"_s;
    const QByteArray before = get(query, false, 10000, &sim).body;
    const int stock = sim.market().catalog().indexOfSecid(u"1.600519"_s);
    if (change == u"minute") {
        sim.setClock([] { return shanghai(2024, 6, 4, 10, 1); });
    } else if (change == u"suspend") {
        sim.market().setSuspended(stock, true);
    } else if (change == u"pin") {
        sim.market().pinClose(stock, QDate(2024, 6, 4), 2000);
        sim.market().pinClose(stock, QDate(2024, 6, 3), 1000);
    }
    const QByteArray after = get(query, false, 10000, &sim).body;
    QVERIFY(!after.isEmpty());
    QCOMPARE(after == before, change == u"none");
}

void TestSimProvider::sameSeedSameAnswers()
{
    SimProvider twin(1), other(2);
    for (SimProvider* sim : {&twin, &other}) {
        QVERIFY(sim->listen() != 0);
        sim->setClock([] { return shanghai(2024, 6, 4, 10, 0); });
    }
    const QStringList queries{
        kUlist + u"?fltt=2&secids=113.aum,90.BK1128,1.600519,116.00700&fields=f2,f3,f5,f6"_s,
        clistQuery(u"BK1128"_s, 1, 1, 30, 1),
        u"/api/qt/stock/trends2/get?secid=113.aum&ndays=2"_s,
        u"/FundMNewApi/FundMNFInfo?Fcodes=161725,110011,005827"_s,
    };
    for (const QString& q : queries) {
        const QByteArray mine = get(q, true).body;
        QCOMPARE(get(q, true, 10000, &twin).body, mine);
        QVERIFY2(get(q, true, 10000, &other).body != mine, qPrintable(q));
    }
}

void TestSimProvider::faults_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("shape");

    using E = QNetworkReply::NetworkError;
    QTest::newRow("status 503") << Fault::status(503, R"({"rc":102})"_ba)
                                << int(E::ServiceUnavailableError) << 503 << u"object"_s;
    QTest::newRow("status 404") << Fault::status(404) << int(E::ContentNotFoundError) << 404
                                << u"object"_s;
    QTest::newRow("html gateway page")
        << Fault::body(502, "<html><body>Bad Gateway</body></html>"_ba, "text/html"_ba)
        << int(E::UnknownServerError) << 502 << u"html"_s;
    QTest::newRow("malformed") << Fault::malformed() << int(E::NoError) << 200 << u"broken"_s;
    QTest::newRow("non-object") << Fault::nonObject() << int(E::NoError) << 200 << u"array"_s;
    QTest::newRow("drop") << Fault::drop() << int(E::RemoteHostClosedError) << 0 << u"none"_s;
    QTest::newRow("drop mid body")
        << Fault::dropMidBody() << int(E::RemoteHostClosedError) << 200 << u"any"_s;
    QTest::newRow("stall") << Fault::stall() << int(E::OperationCanceledError) << 0 << u"none"_s;
    QTest::newRow("stall mid body")
        << Fault::stallMidBody() << int(E::OperationCanceledError) << 200 << u"any"_s;
}

void TestSimProvider::faults()
{
    QFETCH(Fault, fault);
    QFETCH(int, error);
    QFETCH(int, status);
    QFETCH(QString, shape);
    m_sim->addFault(kUlist, fault);
    // Fresh connections, so no reused one changes how a failure shows.
    m_nam.clearConnectionCache();
    const Reply r = get(kUlist + u"?fltt=2&secids=1.600519&fields=f2,f12"_s, false, 400);
    QCOMPARE(int(r.error), error);
    QCOMPARE(r.status, status);
    QVERIFY(r.elapsedMs < 4000);
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(r.body, &parse);
    if (shape == u"object")
        QVERIFY(doc.isObject());
    else if (shape == u"array")
        QVERIFY(doc.isArray());
    else if (shape == u"broken")
        QVERIFY(parse.error != QJsonParseError::NoError);
    else if (shape == u"html")
        QCOMPARE(r.contentType, "text/html");
    else if (shape == u"none")
        QVERIFY(r.body.isEmpty());
    QVERIFY(!m_sim->requests().isEmpty());
    QCOMPARE(m_sim->requests().constFirst().path, kUlist);
}

void TestSimProvider::delays_data()
{
    QTest::addColumn<int>("latency");
    QTest::addColumn<int>("delay");
    QTest::newRow("latency") << 150 << 0;
    QTest::newRow("delay fault") << 0 << 200;
    QTest::newRow("both add up") << 100 << 150;
}

void TestSimProvider::delays()
{
    QFETCH(int, latency);
    QFETCH(int, delay);
    m_sim->setLatency(latency);
    if (delay)
        m_sim->addFault(kUlist, Fault::delay(delay));
    const Reply r = get(kUlist + u"?fltt=2&secids=1.600519&fields=f2"_s);
    QCOMPARE(r.status, 200);
    QVERIFY(r.elapsedMs >= latency + delay);
    QCOMPARE(r.json()[u"data"_s][u"total"_s].toInt(), 1);
}

// Held answers leave in the order their moments come, each on time, however
// they were asked for: an answer due sooner than the one already waiting,
// the one after an answer just sent, two due at once.
void TestSimProvider::heldAnswersKeepTheirOwnTime_data()
{
    QTest::addColumn<int>("latency");
    QTest::addColumn<int>("clistDelay"); // asked for first
    QTest::addColumn<int>("ulistDelay"); // asked for right after
    QTest::newRow("sooner one asked second") << 0 << 600 << 50;
    QTest::newRow("later one asked second") << 0 << 50 << 600;
    QTest::newRow("latency under both") << 100 << 500 << 0;
    QTest::newRow("due at once") << 200 << 0 << 0;
}

void TestSimProvider::heldAnswersKeepTheirOwnTime()
{
    QFETCH(int, latency);
    QFETCH(int, clistDelay);
    QFETCH(int, ulistDelay);
    m_sim->setLatency(latency);
    if (clistDelay)
        m_sim->addFault(kClist, Fault::delay(clistDelay));
    if (ulistDelay)
        m_sim->addFault(kUlist, Fault::delay(ulistDelay));
    QElapsedTimer timer;
    timer.start();
    QMap<QString, qint64> done;
    QList<QString> order;
    const auto ask = [&](const QString& pathAndQuery) {
        QNetworkReply* reply = m_nam.get(QNetworkRequest(QUrl(m_sim->origin() + pathAndQuery)));
        connect(reply, &QNetworkReply::finished, this, [&, reply] {
            done.insert(reply->url().path(), timer.elapsed());
            order.append(reply->url().path());
            reply->deleteLater();
        });
    };
    ask(clistQuery(u"BK0475"_s, 1, 1, 5, 1));
    ask(kUlist + u"?secids=1.600519"_s);
    QTRY_COMPARE_WITH_TIMEOUT(done.size(), 2, 10000);
    const int clistDue = latency + clistDelay;
    const int ulistDue = latency + ulistDelay;
    QVERIFY2(done[kClist] >= clistDue, QByteArray::number(done[kClist]).constData());
    QVERIFY2(done[kUlist] >= ulistDue, QByteArray::number(done[kUlist]).constData());
    // Apart by far more than any scheduling delay: the sooner one leaves
    // well before the later one is due.
    if (clistDue != ulistDue) {
        const QString sooner = clistDue < ulistDue ? kClist : kUlist;
        QCOMPARE(order.constFirst(), sooner);
        QVERIFY2(done[sooner] < std::max(clistDue, ulistDue),
                 QByteArray::number(done[sooner]).constData());
    }
}

void TestSimProvider::faultMatching()
{
    m_sim->addFault(kClist, Fault::status(500), u"BK0547"_s, 2);
    QCOMPARE(get(clistQuery(u"BK0475"_s, 1, 1, 5, 1)).status, 200);
    QCOMPARE(get(clistQuery(u"BK0547"_s, 1, 1, 5, 1)).status, 500);
    QCOMPARE(get(clistQuery(u"BK0547"_s, 1, 1, 5, 1)).status, 500);
    QCOMPARE(get(clistQuery(u"BK0547"_s, 1, 1, 5, 1)).status, 200);

    const int id = m_sim->addFault(kUlist, Fault::status(429));
    const QString q = kUlist + u"?secids=1.600519"_s;
    QCOMPARE(get(q).status, 429);
    QCOMPARE(get(q).status, 429);
    m_sim->removeFault(id);
    QCOMPARE(get(q).status, 200);
    m_sim->addFault(kUlist, Fault::status(500));
    m_sim->clearFaults();
    QCOMPARE(get(q).status, 200);
}

void TestSimProvider::hugeBodyIsExactJson_data()
{
    QTest::addColumn<qint64>("size");
    QTest::newRow("empty object") << qint64(2);
    QTest::newRow("too small for a row") << qint64(100);
    QTest::newRow("a few rows") << qint64(1000);
    QTest::newRow("across chunks") << qint64(700001);
}

void TestSimProvider::hugeBodyIsExactJson()
{
    QFETCH(qint64, size);
    m_sim->addFault(kUlist, Fault::hugeBody(size));
    const Reply r = get(kUlist + u"?secids=1.600519"_s);
    QCOMPARE(r.status, 200);
    QCOMPARE(r.body.size(), size);
    QVERIFY(QJsonDocument::fromJson(r.body).isObject());
}

void TestSimProvider::hugeBodyStreamsWithFlatMemory()
{
    if (residentBytes() < 0)
        QSKIP("needs /proc/self/statm");
    constexpr qint64 kSize = 100LL << 20;
    m_sim->addFault(kUlist, Fault::hugeBody(kSize));
    const qint64 before = residentBytes();
    qint64 peak = before;
    qint64 received = 0;
    QByteArray head, tail;
    QNetworkReply* reply = m_nam.get(QNetworkRequest(QUrl(m_sim->origin() + kUlist)));
    reply->setReadBufferSize(1 << 20);
    connect(reply, &QNetworkReply::readyRead, this, [&] {
        const QByteArray chunk = reply->readAll();
        if (head.isEmpty())
            head = chunk.left(8);
        tail = (tail + chunk).right(3);
        if ((received >> 23) != ((received + chunk.size()) >> 23))
            peak = std::max(peak, residentBytes());
        received += chunk.size();
    });
    QSignalSpy finished(reply, &QNetworkReply::finished);
    QVERIFY(finished.wait(60000));
    QCOMPARE(reply->error(), QNetworkReply::NoError);
    QCOMPARE(received, kSize);
    QCOMPARE(head, R"({"rc":0,)"_ba);
    QCOMPARE(tail, "]}}"_ba);
    if (kResidentSizeMeaningful)
        QVERIFY2(peak - before < (48LL << 20), qPrintable(QString::number(peak - before)));
    reply->deleteLater();
}

void TestSimProvider::hugeBodyCanBeAbortedEarly()
{
    m_sim->addFault(kUlist, Fault::hugeBody(100LL << 20), {}, 1);
    qint64 received = 0;
    QNetworkReply* reply = m_nam.get(QNetworkRequest(QUrl(m_sim->origin() + kUlist)));
    reply->setReadBufferSize(256 << 10);
    connect(reply, &QNetworkReply::readyRead, this, [&] {
        received += reply->readAll().size();
        if (received >= (1 << 20))
            reply->abort();
    });
    QSignalSpy finished(reply, &QNetworkReply::finished);
    QVERIFY(finished.wait(10000));
    QCOMPARE(reply->error(), QNetworkReply::OperationCanceledError);
    QVERIFY(received < (8 << 20));
    reply->deleteLater();
    // The simulator drops the stream and keeps serving.
    QCOMPARE(get(kUlist + u"?secids=1.600519"_s, false, 2000).status, 200);
}

void TestSimProvider::requestsAreRecorded()
{
    QSignalSpy received(m_sim.get(), &SimProvider::requestReceived);
    m_sim->addFault(kUlist, Fault::drop(), u"probe"_s);
    QNetworkRequest request(
        QUrl(m_sim->origin() + kUlist + u"?secids=1.600519%2C0.000568&x=%E4%B8%AD"_s));
    request.setRawHeader("X-Quotara-Probe", "abc");
    QSignalSpy finished(m_nam.get(request), &QNetworkReply::finished);
    QVERIFY(finished.wait(5000));
    get(kUlist + u"?probe=1"_s);

    QCOMPARE(received.size(), m_sim->requests().size());
    QVERIFY(m_sim->requests().size() >= 2);
    const RecordedRequest first = m_sim->requests().constFirst();
    QCOMPARE(received.constFirst().constFirst().value<RecordedRequest>().query, first.query);
    QCOMPARE(first.method, "GET");
    QCOMPARE(first.path, kUlist);
    QCOMPARE(first.query, u"secids=1.600519%2C0.000568&x=%E4%B8%AD"_s);
    QCOMPARE(first.queryItem(u"x"_s), u"中"_s);
    QCOMPARE(first.header("x-quotara-probe"), "abc");
    QCOMPARE(first.header("X-QUOTARA-PROBE"), "abc");
    QVERIFY(first.header("Referer").isEmpty());
    QCOMPARE(m_sim->requests().constLast().query, u"probe=1"_s); // dropped, still recorded
    m_sim->clearRequests();
    QVERIFY(m_sim->requests().isEmpty());
}

void TestSimProvider::executablePrintsOrigin()
{
    QProcess sim;
    sim.start(QStringLiteral(QUOTARA_SIM_EXECUTABLE), {u"--port"_s, u"0"_s, u"--seed"_s, u"5"_s});
    QVERIFY(sim.waitForStarted(5000));
    QVERIFY(sim.waitForReadyRead(5000));
    const QString origin = QString::fromUtf8(sim.readLine()).trimmed();
    QVERIFY2(QRegularExpression(u"^http://127\\.0\\.0\\.1:\\d+$"_s).match(origin).hasMatch(),
             qPrintable(origin));
    QNetworkReply* reply =
        m_nam.get(QNetworkRequest(QUrl(origin + u"/works/downloads/version.json"_s)));
    QSignalSpy finished(reply, &QNetworkReply::finished);
    QVERIFY(finished.wait(5000));
    QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
    QVERIFY(QJsonDocument::fromJson(reply->readAll()).object().contains(u"version"_s));
    reply->deleteLater();
    sim.kill();
    QVERIFY(sim.waitForFinished(5000));
}

void TestSimProvider::executableOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("minElapsedMs");
    QTest::addColumn<QString>("lastGoldMinute"); // empty: not checked

    QTest::newRow("latency") << QStringList{u"--latency"_s, u"150"_s} << 150 << QString();
    // The Shanghai time holds whatever zone the machine is in; the market
    // only moves on with the real clock, far less than a minute here.
    QTest::newRow("start time") << QStringList{u"--at"_s, u"2024-06-04T10:00:00"_s} << 0
                                << u"2024-06-04 10:00"_s;
    QTest::newRow("start time in the night session, with latency")
        << QStringList{u"--at"_s, u"2024-06-05T01:17"_s, u"--latency"_s, u"60"_s} << 60
        << u"2024-06-05 01:17"_s;
}

void TestSimProvider::executableOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, minElapsedMs);
    QFETCH(QString, lastGoldMinute);

    QProcess sim;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"TZ"_s, u"America/New_York"_s);
    sim.setProcessEnvironment(env);
    sim.start(QStringLiteral(QUOTARA_SIM_EXECUTABLE), arguments);
    QVERIFY(sim.waitForStarted(5000));
    QVERIFY(sim.waitForReadyRead(5000));
    const QString origin = QString::fromUtf8(sim.readLine()).trimmed();

    QElapsedTimer timer;
    timer.start();
    QNetworkRequest request(QUrl(origin + u"/api/qt/stock/trends2/get?secid=113.aum&fields1=f1,"
                                          u"f2&fields2=f51,f52,f53,f54,f55,f56,f57,f58&ndays=1"_s));
    QNetworkReply* reply = m_nam.get(request);
    QSignalSpy finished(reply, &QNetworkReply::finished);
    QVERIFY(finished.wait(5000));
    const qint64 elapsed = timer.elapsed();
    QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
    QVERIFY2(elapsed >= minElapsedMs, qPrintable(QString::number(elapsed)));
    const QJsonArray lines =
        QJsonDocument::fromJson(reply->readAll()).object()[u"data"_s][u"trends"_s].toArray();
    reply->deleteLater();
    QVERIFY(!lines.isEmpty());
    if (!lastGoldMinute.isEmpty())
        QCOMPARE(lines.last().toString().left(16), lastGoldMinute);
    sim.kill();
    QVERIFY(sim.waitForFinished(5000));
}

void TestSimProvider::executableRejectsBadOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("negative latency") << QStringList{u"--latency"_s, u"-5"_s};
    QTest::newRow("latency not a number") << QStringList{u"--latency"_s, u"fast"_s};
    QTest::newRow("time without a date") << QStringList{u"--at"_s, u"10:00"_s};
    QTest::newRow("time with a zone") << QStringList{u"--at"_s, u"2024-06-04T10:00Z"_s};
    QTest::newRow("time with an offset") << QStringList{u"--at"_s, u"2024-06-04T10:00+08:00"_s};
}

void TestSimProvider::executableRejectsBadOptions()
{
    QFETCH(QStringList, arguments);
    QProcess sim;
    sim.start(QStringLiteral(QUOTARA_SIM_EXECUTABLE), arguments);
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 2);
    QVERIFY(sim.readAllStandardOutput().isEmpty());
}

QTEST_GUILESS_MAIN(TestSimProvider)
#include "tst_simprovider.moc"
