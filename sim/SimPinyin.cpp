#include "SimPinyin.h"

#include <QHash>

#include <algorithm>

namespace {

// The initial of every Han character in the catalogue's names. A character
// with several readings takes the one it has in most of those names: 长 of
// 长江 and 长电 (C), 行 of 行业 and 银行 (H), 重 of 重庆 (C).
const std::pair<char, const char16_t*> kInitials[] = {
    {'A', u"安澳爱阿"},
    {'B', u"保办北半博巴比白百邦部铂"},
    {'C', u"产储创川成昌潮策筹菜诚财赤辰重长"},
    {'D', u"东代动大导岛度得德断电的达迪都鼎"},
    {'E', u"尔恩"},
    {'F', u"份伏发坊孚富峰方服汾涪锋飞"},
    {'G', u"光公古国工广格概港硅股贡贵赣高鬼"},
    {'H', u"化华合宏寒恒核汇沪河洪海混湖航花行黄"},
    {'J', u"井交京今件佳健剑君嘉基家建技据捷晶杰江炬窖精级纪绝荆酒酵金际集"},
    {'K', u"凯口库康快控昆矿科空"},
    {'L', u"乐仑兰利力料来泸洛浪澜疗粮绿老联莱蓝连里铝锂陵隆龙"},
    {'M', u"明母米美茅钼"},
    {'N', u"农南宁念纳能诺酿"},
    {'P', u"偏品啤平片璞票鹏"},
    {'Q', u"券庆桥气洽清琪起青齐"},
    {'R', u"乳人润热瑞融软"},
    {'S', u"世仕双司商圣士属山式所手数斯时曙术水沈生申盛石胜舍色视顺食"},
    {'T', u"体台同唐团土天太投拓泰特腾踏通铜题"},
    {'W', u"万五务卫味威微武物纬维闻韦"},
    {'X', u"信兴型学小息新旭星稀芯西讯迅选鑫险香"},
    {'Y', u"一业云亚亿伊优医域宇易有油洋液源燕眼研移粤缘育英药银阳饮"},
    {'Z', u"中主债兆制卓子展州庄招指智榨正浙直紫证诊质造"},
};

// Words in which a character reads otherwise: 长 of 成长 is zhang.
const std::pair<const char16_t*, const char*> kWords[] = {
    {u"成长", "CZ"},
};

const QHash<QChar, QChar>& table()
{
    static const QHash<QChar, QChar> byCharacter = [] {
        QHash<QChar, QChar> t;
        for (const auto& [initial, characters] : kInitials) {
            for (const char16_t* c = characters; *c; ++c)
                t.insert(QChar(*c), QChar::fromLatin1(initial));
        }
        return t;
    }();
    return byCharacter;
}

} // namespace

namespace SimPinyin {

QString initials(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto word = std::find_if(std::begin(kWords), std::end(kWords), [&](const auto& w) {
            return QStringView(text).sliced(i).startsWith(QStringView(w.first));
        });
        if (word != std::end(kWords)) {
            out.append(QLatin1String(word->second));
            i += QStringView(word->first).size() - 1;
            continue;
        }
        const QChar c = text.at(i);
        if (c.unicode() < 0x80 && c.isLetterOrNumber())
            out.append(c.toUpper());
        else if (const auto it = table().constFind(c); it != table().cend())
            out.append(*it);
    }
    return out;
}

} // namespace SimPinyin
