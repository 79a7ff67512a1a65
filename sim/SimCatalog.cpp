#include "SimCatalog.h"

#include "SimHash.h"
#include "SimPinyin.h"

#include <QSet>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

struct NamedStock {
    const char* code;
    const char* name;
    double price;
};

// Well-known A-shares, with price levels of the right order of magnitude.
const NamedStock kAShares[] = {
    // semiconductors
    {"688981", "中芯国际", 48},
    {"603501", "韦尔股份", 110},
    {"002371", "北方华创", 320},
    {"688012", "中微公司", 150},
    {"603986", "兆易创新", 85},
    {"300661", "圣邦股份", 80},
    {"688008", "澜起科技", 55},
    {"002049", "紫光国微", 65},
    {"600584", "长电科技", 28},
    {"300782", "卓胜微", 90},
    {"688396", "华润微", 45},
    {"600745", "闻泰科技", 35},
    {"603290", "斯达半导", 100},
    {"688126", "沪硅产业", 17},
    {"300223", "北京君正", 60},
    {"002156", "通富微电", 22},
    {"688041", "海光信息", 80},
    {"688256", "寒武纪", 300},
    {"600460", "士兰微", 22},
    {"300604", "长川科技", 40},
    {"688072", "拓荆科技", 150},
    {"688120", "华海清科", 140},
    // gold and metals
    {"600547", "山东黄金", 25},
    {"600489", "中金黄金", 11},
    {"601899", "紫金矿业", 16},
    {"600988", "赤峰黄金", 17},
    {"000975", "银泰黄金", 14},
    {"002155", "湖南黄金", 14},
    {"601069", "西部黄金", 14},
    {"002237", "恒邦股份", 9},
    {"600459", "贵研铂业", 15},
    {"601958", "金钼股份", 9},
    {"000630", "铜陵有色", 3.4},
    {"603993", "洛阳钼业", 7},
    {"600111", "北方稀土", 20},
    {"601600", "中国铝业", 6},
    {"000878", "云南铜业", 12},
    {"600362", "江西铜业", 20},
    {"002466", "天齐锂业", 40},
    // optical modules
    {"300308", "中际旭创", 140},
    {"300502", "新易盛", 90},
    {"300394", "天孚通信", 100},
    {"002281", "光迅科技", 40},
    {"000988", "华工科技", 30},
    {"300570", "太辰光", 40},
    {"688498", "源杰科技", 150},
    {"603083", "剑桥科技", 45},
    {"300620", "光库科技", 45},
    {"688313", "仕佳光子", 12},
    {"601138", "工业富联", 20},
    {"000063", "中兴通讯", 30},
    {"300548", "博创科技", 30},
    // liquor, food and drink
    {"600519", "贵州茅台", 1600},
    {"000858", "五粮液", 140},
    {"000568", "泸州老窖", 170},
    {"600809", "山西汾酒", 220},
    {"002304", "洋河股份", 90},
    {"000596", "古井贡酒", 220},
    {"603369", "今世缘", 55},
    {"600702", "舍得酒业", 80},
    {"600779", "水井坊", 60},
    {"603589", "口子窖", 45},
    {"000799", "酒鬼酒", 60},
    {"600600", "青岛啤酒", 75},
    {"000729", "燕京啤酒", 10},
    {"600132", "重庆啤酒", 65},
    {"002568", "百润股份", 25},
    {"600197", "伊力特", 20},
    {"000860", "顺鑫农业", 18},
    {"603288", "海天味业", 40},
    {"600887", "伊利股份", 28},
    {"000895", "双汇发展", 27},
    {"600872", "中炬高新", 25},
    {"603345", "安井食品", 90},
    {"002507", "涪陵榨菜", 14},
    {"600298", "安琪酵母", 32},
    {"605499", "东鹏饮料", 200},
    {"603517", "绝味食品", 25},
    {"002557", "洽洽食品", 33},
    // power
    {"600900", "长江电力", 27},
    {"600011", "华能国际", 8},
    {"600795", "国电电力", 5},
    {"601985", "中国核电", 9},
    {"600886", "国投电力", 15},
    {"600025", "华能水电", 10},
    {"003816", "中国广核", 3.9},
    {"600027", "华电国际", 6},
    {"000539", "粤电力A", 5},
    {"600023", "浙能电力", 5.5},
    {"601991", "大唐发电", 3},
    // medical services
    {"603259", "药明康德", 55},
    {"300759", "康龙化成", 25},
    {"300347", "泰格医药", 55},
    {"002821", "凯莱英", 80},
    {"300015", "爱尔眼科", 13},
    {"600763", "通策医疗", 50},
    {"688202", "美迪西", 35},
    {"300244", "迪安诊断", 15},
    {"603882", "金域医学", 35},
    {"301096", "百诚医药", 50},
    {"000516", "国际医学", 5},
    // new energy
    {"300750", "宁德时代", 200},
    {"002594", "比亚迪", 250},
    {"601012", "隆基绿能", 20},
    {"300274", "阳光电源", 80},
    {"002459", "晶澳科技", 13},
    {"600438", "通威股份", 22},
    {"002812", "恩捷股份", 35},
    {"300014", "亿纬锂能", 40},
    {"002460", "赣锋锂业", 30},
    {"603659", "璞泰来", 15},
    {"601615", "明阳智能", 10},
    {"300124", "汇川技术", 55},
    // brokers
    {"600030", "中信证券", 22},
    {"300059", "东方财富", 15},
    {"601688", "华泰证券", 15},
    {"600837", "海通证券", 9},
    {"601211", "国泰君安", 15},
    {"000776", "广发证券", 14},
    {"600999", "招商证券", 15},
    {"601995", "中金公司", 32},
    {"000166", "申万宏源", 4.6},
    {"601066", "中信建投", 22},
    {"600958", "东方证券", 8},
    // software and computing
    {"002230", "科大讯飞", 45},
    {"000977", "浪潮信息", 35},
    {"603019", "中科曙光", 45},
    {"002415", "海康威视", 30},
    {"300033", "同花顺", 160},
    {"688111", "金山办公", 260},
    {"300418", "昆仑万维", 35},
    // aerospace
    {"600893", "航发动力", 40},
    {"000768", "中航西飞", 22},
    {"600760", "中航沈飞", 45},
    {"600038", "中直股份", 40},
    {"000738", "航发控制", 20},
    {"600316", "洪都航空", 25},
    {"002179", "中航光电", 40},
    {"600118", "中国卫星", 20},
    {"300696", "爱乐达", 20},
    // held by funds outside any board served here
    {"600036", "招商银行", 33},
    {"000333", "美的集团", 65},
    {"601318", "中国平安", 45},
};

const NamedStock kHongKong[] = {
    {"00700", "腾讯控股", 380},   {"09988", "阿里巴巴-W", 80},   {"03690", "美团-W", 120},
    {"01810", "小米集团-W", 18},  {"09618", "京东集团-SW", 120}, {"00388", "香港交易所", 260},
    {"00941", "中国移动", 70},    {"01024", "快手-W", 50},       {"02020", "安踏体育", 85},
    {"09888", "百度集团-SW", 90}, {"02318", "中国平安", 40},     {"00883", "中国海洋石油", 18},
};

struct BoardDef {
    const char* code;
    const char* name;
    // 行业 (industry) or 概念 (concept), as the code search labels it; some
    // boards it labels only 板块.
    const char* type;
    double level;
    int size;
    const char* members;  // named constituents, space separated
    const char* suffixes; // name endings for the generated constituents, space separated
};

const BoardDef kBoards[] = {
    {"BK0475", "半导体", "行业", 1480, 32,
     "688981 603501 002371 688012 603986 300661 688008 002049 600584 300782 688396 600745 "
     "603290 688126 300223 002156",
     "微电子 半导体 芯片 集成 电子"},
    {"BK1036", "半导体概念", "概念", 1060, 36,
     "688981 002371 603986 688012 600584 002156 688041 688256 600460 300604 688072 688120 "
     "600745",
     "芯科 微纳 半导体 晶电"},
    {"BK0547", "黄金概念", "概念", 920, 24,
     "600547 600489 601899 600988 000975 002155 601069 002237 600459 601958 000630",
     "黄金 矿业 贵金属"},
    {"BK1128", "CPO概念", "概念", 1310, 28,
     "300308 300502 300394 002281 000988 300570 688498 603083 300620 688313 601138 000063 "
     "300548",
     "光电 光通信 光子 通信"},
    {"BK0477", "酿酒行业", "行业", 2230, 36,
     "600519 000858 000568 600809 002304 000596 603369 600702 600779 603589 000799 600600 "
     "000729 600132 002568 600197 000860",
     "酒业 啤酒 酿造 酒庄"},
    {"BK0438", "食品饮料", "行业", 1640, 40,
     "600519 000858 000568 600809 603288 600887 000895 600872 603345 002507 600298 605499 "
     "603517 002557 600600",
     "食品 乳业 饮料 农业"},
    {"BK0428", "电力行业", "行业", 720, 34,
     "600900 600011 600795 601985 600886 600025 003816 600027 000539 600023 601991",
     "电力 能源 热电 水电"},
    {"BK0727", "医疗服务", "行业", 1180, 26,
     "603259 300759 300347 002821 300015 600763 688202 300244 603882 301096 000516",
     "医疗 医药 生物 健康"},
    {"BK0493", "新能源", "概念", 1820, 38,
     "300750 002594 601012 300274 002459 600438 002812 300014 002460 603659 601615 300124",
     "新能源 锂电 光伏 储能 电气"},
    {"BK0473", "证券", "行业", 1020, 30,
     "600030 300059 601688 600837 601211 000776 600999 601995 000166 601066 600958", "证券"},
    {"BK0478", "有色金属", "行业", 2480, 32,
     "601899 600547 603993 600111 002460 000630 601600 000878 600362 002466 600489",
     "有色 铜业 稀土 锂业 矿业"},
    {"BK0800", "人工智能", "概念", 1390, 36,
     "002230 688256 688041 000977 603019 002415 300033 688111 300418 601138",
     "智能 信息 数据 软件 科技"},
    {"BK0480", "航天航空", "板块", 1290, 24,
     "600893 000768 600760 600038 000738 600316 002179 600118 300696", "航空 航天 科技 精工"},
};

struct HoldingDef {
    const char* code; // 6 digits: A-share, 5 digits: Hong Kong
    double weight;
};

struct FundDef {
    const char* code;
    const char* name;
    const char* type;
    double baseNav;
    double accumulatedGap;
    bool listed;
    bool launchedRecently;
    std::initializer_list<HoldingDef> holdings;
};

const FundDef kFunds[] = {
    {"161725",
     "招商中证白酒指数(LOF)A",
     "指数型-股票",
     0.8512,
     1.3340,
     true,
     false,
     {{"600809", 8.92},
      {"000568", 8.61},
      {"000858", 8.43},
      {"600519", 8.17},
      {"002304", 6.05},
      {"000596", 4.31},
      {"603369", 3.62},
      {"600702", 2.13},
      {"600779", 2.02},
      {"603589", 1.84}}},
    {"110011",
     "易方达优质精选混合(QDII)",
     "QDII-混合偏股",
     3.4830,
     0.9070,
     false,
     false,
     {{"00700", 9.81},
      {"600519", 9.47},
      {"000858", 8.72},
      {"000568", 7.06},
      {"03690", 6.18},
      {"600809", 4.52},
      {"00388", 3.96},
      {"002304", 3.31},
      {"01024", 2.44},
      {"09988", 2.12}}},
    {"005827",
     "易方达蓝筹精选混合",
     "混合型-偏股",
     1.8536,
     0,
     false,
     false,
     {{"00700", 9.93},
      {"600519", 9.71},
      {"000858", 8.84},
      {"000568", 8.52},
      {"03690", 6.41},
      {"002304", 5.02},
      {"00388", 4.47},
      {"600036", 4.31},
      {"000333", 3.86},
      {"09988", 3.28}}},
    {"320007",
     "诺安成长混合A",
     "混合型-偏股",
     1.3210,
     0.9100,
     false,
     false,
     {{"688981", 8.10},
      {"002371", 7.40},
      {"603986", 6.60},
      {"603501", 6.20},
      {"688012", 5.50},
      {"600584", 5.00},
      {"688008", 4.40},
      {"300661", 3.90},
      {"002049", 3.40},
      {"688396", 2.80}}},
    {"001410",
     "信澳新能源产业股票A",
     "股票型",
     2.6420,
     0.1200,
     false,
     false,
     {{"300750", 8.90},
      {"002594", 7.60},
      {"300274", 6.20},
      {"601012", 5.10},
      {"002812", 4.30},
      {"300014", 4.00},
      {"002460", 3.60},
      {"002459", 3.10},
      {"600438", 2.80},
      {"603659", 2.20}}},
    {"217022", "招商产业债券A", "债券型-混合一级", 1.4105, 0.3520, false, false, {}},
    {"023350",
     "光信CPO主题混合发起式A",
     "混合型-偏股",
     1.0213,
     0,
     false,
     true,
     {{"300308", 9.20},
      {"300502", 8.70},
      {"300394", 7.10},
      {"002281", 5.60},
      {"000988", 5.00},
      {"688498", 4.30},
      {"603083", 3.90},
      {"300570", 3.50},
      {"300620", 2.80},
      {"601138", 2.40}}},
};

const char16_t* const kNameHeads[] = {u"华", u"中", u"金", u"国", u"瑞", u"恒", u"新", u"天",
                                      u"长", u"宏", u"博", u"鼎", u"晶", u"盛", u"海", u"安",
                                      u"汇", u"昌", u"泰", u"达", u"联", u"创", u"德", u"信",
                                      u"宇", u"通", u"峰", u"源", u"嘉", u"融", u"凯", u"润"};

QStringList words(const char* spaced)
{
    return QString::fromUtf8(spaced).split(u' ', Qt::SkipEmptyParts);
}

int marketOfAShare(const QString& code)
{
    return code.startsWith(u'6') ? 1 : 0;
}

// Generated constituents come from a fixed sequence, not from the market
// seed: the universe is the same for every seed.
class CatalogDraw {
public:
    std::uint64_t next() { return SimHash::mix(m_state++); }
    int below(int n) { return int(next() % std::uint64_t(n)); }
    double logUniform(double lo, double hi)
    {
        return lo * std::exp(std::log(hi / lo) * SimHash::unit(next()));
    }

private:
    std::uint64_t m_state = 0x51a1c0de2024ULL;
};

QString drawCode(CatalogDraw& draw)
{
    switch (draw.below(4)) {
    case 0:
        return QStringLiteral("60%1").arg(draw.below(6000), 4, 10, QLatin1Char('0'));
    case 1:
        return QStringLiteral("00%1").arg(1 + draw.below(3999), 4, 10, QLatin1Char('0'));
    case 2:
        return QStringLiteral("30%1").arg(1 + draw.below(1599), 4, 10, QLatin1Char('0'));
    default:
        return QStringLiteral("688%1").arg(1 + draw.below(799), 3, 10, QLatin1Char('0'));
    }
}

} // namespace

QString SimCatalog::Instrument::secid() const
{
    return QString::number(market) + u'.' + code;
}

SimCalendar::Session SimCatalog::Instrument::session() const
{
    if (kind == Kind::Futures)
        return SimCalendar::Session::ShanghaiGold;
    return market == 116 ? SimCalendar::Session::HongKong : SimCalendar::Session::AShare;
}

const SimCatalog& SimCatalog::instance()
{
    static const SimCatalog catalog;
    return catalog;
}

int SimCatalog::addInstrument(Instrument instrument)
{
    const int index = int(m_instruments.size());
    m_bySecid.insert(instrument.secid(), index);
    m_instruments.append(std::move(instrument));
    return index;
}

SimCatalog::SimCatalog()
{
    CatalogDraw draw;
    QSet<QString> names;

    Instrument gold;
    gold.kind = Kind::Futures;
    gold.market = 113;
    gold.code = u"aum"_s;
    gold.name = u"沪金主连"_s; // SimMarket names the current main contract per trading day
    gold.industry = u"贵金属"_s;
    // Between the default stop-loss (600) and take-profit (700) tiers, so a
    // demo does not open with an alert.
    gold.basePrice = 650;
    gold.turnover = 6.0e10;
    gold.lotSize = 1000; // grams per contract
    m_gold = addInstrument(gold);

    for (const NamedStock& s : kAShares) {
        Instrument stock;
        stock.market = marketOfAShare(QString::fromLatin1(s.code));
        stock.code = QString::fromLatin1(s.code);
        stock.name = QString::fromUtf8(s.name);
        stock.basePrice = s.price;
        stock.turnover = draw.logUniform(1.5e9, 7.5e9);
        names.insert(stock.name);
        addInstrument(stock);
    }
    for (const NamedStock& s : kHongKong) {
        Instrument stock;
        stock.market = 116;
        stock.code = QString::fromLatin1(s.code);
        stock.name = QString::fromUtf8(s.name);
        stock.industry = u"港股"_s;
        stock.basePrice = s.price;
        stock.turnover = draw.logUniform(2.0e9, 7.5e9);
        stock.lotSize = 1; // Hong Kong volumes count shares
        addInstrument(stock);
    }
    m_instruments[m_bySecid.value(u"1.600036"_s)].industry = u"银行"_s;
    m_instruments[m_bySecid.value(u"0.000333"_s)].industry = u"家电行业"_s;
    m_instruments[m_bySecid.value(u"1.601318"_s)].industry = u"保险"_s;

    for (const BoardDef& def : kBoards) {
        Instrument index;
        index.kind = Kind::Board;
        index.market = 90;
        index.code = QString::fromLatin1(def.code);
        index.name = QString::fromUtf8(def.name);
        index.industry = index.name;
        index.industryCode = index.code;
        index.basePrice = def.level;
        index.lotSize = 100;

        Board board;
        board.type = QString::fromUtf8(def.type);
        board.level = def.level;
        for (const QString& code : words(def.members)) {
            const int member =
                m_bySecid.value(QString::number(marketOfAShare(code)) + u'.' + code, -1);
            Q_ASSERT(member >= 0);
            board.members.append({member, draw.logUniform(2.0, 8.0)});
        }
        const QStringList suffixes = words(def.suffixes);
        while (board.members.size() < def.size) {
            Instrument stock;
            do {
                stock.code = drawCode(draw);
                stock.market = marketOfAShare(stock.code);
            } while (m_bySecid.contains(stock.secid()));
            do {
                stock.name = QString::fromUtf16(kNameHeads[draw.below(std::size(kNameHeads))]) +
                             QString::fromUtf16(kNameHeads[draw.below(std::size(kNameHeads))]) +
                             suffixes.at(draw.below(int(suffixes.size())));
            } while (names.contains(stock.name));
            names.insert(stock.name);
            stock.basePrice = std::round(draw.logUniform(4, 120) * 100) / 100;
            stock.turnover = draw.logUniform(3.5e8, 3.0e9);
            board.members.append({addInstrument(stock), draw.logUniform(0.3, 2.0)});
        }
        for (const Member& m : std::as_const(board.members)) {
            Instrument& stock = m_instruments[m.instrument];
            if (stock.industry.isEmpty()) {
                stock.industry = index.name;
                stock.industryCode = index.code;
            }
        }
        board.instrument = addInstrument(index);
        m_boardByCode.insert(index.code, int(m_boards.size()));
        m_boardByInstrument.insert(board.instrument, int(m_boards.size()));
        m_boards.append(board);
    }

    for (const FundDef& def : kFunds) {
        Fund fund;
        fund.code = QString::fromLatin1(def.code);
        fund.name = QString::fromUtf8(def.name);
        fund.type = QString::fromUtf8(def.type);
        fund.baseNav = def.baseNav;
        fund.accumulatedGap = def.accumulatedGap;
        fund.listed = def.listed;
        fund.launchedRecently = def.launchedRecently;
        for (const HoldingDef& h : def.holdings) {
            const QString code = QString::fromLatin1(h.code);
            const QString secid = code.size() == 5
                                      ? u"116."_s + code
                                      : QString::number(marketOfAShare(code)) + u'.' + code;
            const int instrument = m_bySecid.value(secid, -1);
            Q_ASSERT(instrument >= 0);
            fund.holdings.append({instrument, h.weight});
        }
        m_funds.append(fund);
    }

    for (Instrument& instrument : m_instruments)
        instrument.pinyin = SimPinyin::initials(instrument.name);
    for (Fund& fund : m_funds)
        fund.pinyin = SimPinyin::initials(fund.name);
}

int SimCatalog::indexOfSecid(const QString& secid) const
{
    return m_bySecid.value(secid, -1);
}

const SimCatalog::Board* SimCatalog::board(const QString& code) const
{
    const int i = m_boardByCode.value(code, -1);
    return i < 0 ? nullptr : &m_boards.at(i);
}

const SimCatalog::Board* SimCatalog::boardOf(int instrument) const
{
    const int i = m_boardByInstrument.value(instrument, -1);
    return i < 0 ? nullptr : &m_boards.at(i);
}

const SimCatalog::Fund* SimCatalog::fund(const QString& code) const
{
    for (const Fund& f : m_funds) {
        if (f.code == code)
            return &f;
    }
    return nullptr;
}
