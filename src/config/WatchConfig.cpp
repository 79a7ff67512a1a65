#include "WatchConfig.h"

#include "OrderedJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

template <typename Entry> QByteArray encodeEntries(const QList<Entry>& entries)
{
    QList<QByteArray> elements;
    elements.reserve(entries.size());
    for (const Entry& e : entries)
        elements.append(
            OrderedJson::object({{QStringLiteral("code"), OrderedJson::string(e.code)},
                                 {QStringLiteral("name"), OrderedJson::string(e.name)}}));
    return OrderedJson::array(elements);
}

template <typename Entry> std::optional<QList<Entry>> decodeEntries(const QJsonValue& value)
{
    if (!value.isArray())
        return std::nullopt;
    QList<Entry> entries;
    for (const QJsonValue& element : value.toArray()) {
        if (!element.isObject())
            return std::nullopt;
        const QJsonObject object = element.toObject();
        const QJsonValue code = object.value(QStringLiteral("code"));
        const QJsonValue name = object.value(QStringLiteral("name"));
        if (!code.isString() || !name.isString())
            return std::nullopt;
        entries.append(Entry{code.toString(), name.toString()});
    }
    return entries;
}

} // namespace

WatchConfig WatchConfig::defaultConfig()
{
    return WatchConfig{
        .sectors = {{QStringLiteral("BK0475"), QStringLiteral("半导体")},
                    {QStringLiteral("BK0547"), QStringLiteral("黄金概念")},
                    {QStringLiteral("BK1128"), QStringLiteral("CPO概念")}},
        .funds = {{QStringLiteral("161725"), QStringLiteral("招商中证白酒指数C")},
                  {QStringLiteral("110011"), QStringLiteral("易方达蓝筹精选")},
                  {QStringLiteral("005827"), QStringLiteral("易方达蓝筹精选C")}},
        .statusBarSource = std::nullopt,
    };
}

QByteArray WatchConfig::toJson() const
{
    QList<QPair<QString, QByteArray>> members{
        {QStringLiteral("sectors"), encodeEntries(sectors)},
        {QStringLiteral("funds"), encodeEntries(funds)},
    };
    if (statusBarSource)
        members.append({QStringLiteral("statusBarSource"), OrderedJson::string(*statusBarSource)});
    return OrderedJson::object(members);
}

std::optional<WatchConfig> WatchConfig::fromJson(const QByteArray& bytes)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject root = document.object();
    auto sectors = decodeEntries<SectorConfig>(root.value(QStringLiteral("sectors")));
    auto funds = decodeEntries<FundConfig>(root.value(QStringLiteral("funds")));
    if (!sectors || !funds)
        return std::nullopt;
    WatchConfig config{.sectors = std::move(*sectors),
                       .funds = std::move(*funds),
                       .statusBarSource = std::nullopt};
    const QJsonValue source = root.value(QStringLiteral("statusBarSource"));
    if (source.isString())
        config.statusBarSource = source.toString();
    else if (!source.isNull() && !source.isUndefined())
        return std::nullopt;
    return config;
}
