#include "Holdings.h"

#include "OrderedJson.h"
#include "market/Money.h"

#include <QJsonObject>

namespace {

constexpr int kVersion = 1;

QByteArray encodePosition(const Profit::Position& position, const QString& quantityKey,
                          int quantityDecimals)
{
    QList<QPair<QString, QByteArray>> members{
        {quantityKey, OrderedJson::string(Money::text(position.quantity, quantityDecimals))}};
    if (position.cost)
        members.append({QStringLiteral("cost"),
                        OrderedJson::string(Money::text(*position.cost, Profit::costDecimals))});
    return OrderedJson::object(members);
}

// A stored figure: a decimal text with at most `decimals` decimals, below `limit`.
std::optional<qint64> readFigure(const QJsonValue& value, int decimals, qint64 limit)
{
    if (!value.isString())
        return std::nullopt;
    const QString text = value.toString();
    // Exactly as written: no blanks, signs or separators the typing allows.
    for (const QChar c : text) {
        if (c != u'.' && (c.unicode() < u'0' || c.unicode() > u'9'))
            return std::nullopt;
    }
    return Money::parse(text, decimals, limit).units;
}

std::optional<Profit::Position> decodePosition(const QJsonValue& value, const QString& quantityKey,
                                               int quantityDecimals)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const auto quantity =
        readFigure(object.value(quantityKey), quantityDecimals, Profit::quantityLimit);
    if (!quantity)
        return std::nullopt;
    Profit::Position position{.quantity = *quantity, .cost = std::nullopt};
    const QJsonValue cost = object.value(QStringLiteral("cost"));
    if (!cost.isUndefined()) {
        position.cost = readFigure(cost, Profit::costDecimals, Profit::costLimit);
        if (!position.cost)
            return std::nullopt;
    }
    return position;
}

const QString sharesKey = QStringLiteral("shares");
const QString gramsKey = QStringLiteral("grams");

} // namespace

std::optional<Profit::Position> Holdings::fund(const QString& code) const
{
    const auto it = funds.constFind(code);
    return it == funds.constEnd() ? std::nullopt : std::optional(*it);
}

QByteArray Holdings::toJson() const
{
    QList<QPair<QString, QByteArray>> byFund;
    for (auto it = funds.begin(); it != funds.end(); ++it)
        byFund.append({it.key(), encodePosition(*it, sharesKey, Profit::shareDecimals)});
    QList<QPair<QString, QByteArray>> members{
        {QStringLiteral("v"), QByteArray::number(kVersion)},
        {QStringLiteral("funds"), OrderedJson::object(byFund)}};
    if (gold)
        members.append(
            {QStringLiteral("gold"), encodePosition(*gold, gramsKey, Profit::gramDecimals)});
    members.append({QStringLiteral("hideAmounts"), OrderedJson::boolean(hideAmounts)});
    return OrderedJson::object(members);
}

std::optional<Holdings> Holdings::fromJson(const QByteArray& bytes)
{
    const auto root = OrderedJson::versionedObject(bytes, kVersion);
    const QJsonValue funds = root ? root->value(QStringLiteral("funds")) : QJsonValue();
    if (!funds.isObject())
        return std::nullopt;
    Holdings holdings;
    const QJsonObject byFund = funds.toObject();
    for (auto it = byFund.begin(); it != byFund.end(); ++it) {
        const auto position = decodePosition(it.value(), sharesKey, Profit::shareDecimals);
        if (!position)
            return std::nullopt;
        holdings.funds.insert(it.key(), *position);
    }
    const QJsonValue gold = root->value(QStringLiteral("gold"));
    if (!gold.isUndefined()) {
        holdings.gold = decodePosition(gold, gramsKey, Profit::gramDecimals);
        if (!holdings.gold)
            return std::nullopt;
    }
    const QJsonValue hide = root->value(QStringLiteral("hideAmounts"));
    if (hide.isBool())
        holdings.hideAmounts = hide.toBool();
    else if (!hide.isUndefined())
        return std::nullopt;
    return holdings;
}
