#include "HoldingForm.h"

#include "market/Money.h"

namespace HoldingForm {

namespace {

int quantityDecimals(Target target)
{
    return target == Target::fund ? Profit::shareDecimals : Profit::gramDecimals;
}

// What is wrong with a figure, for the field named `name`.
QString problem(Money::ParseError error, const QString& name, int decimals)
{
    switch (error) {
    case Money::ParseError::empty:
        return QStringLiteral("请输入") + name;
    case Money::ParseError::notNumber:
    case Money::ParseError::negative:
        return name + QStringLiteral("须为非负数字");
    case Money::ParseError::tooPrecise:
        return name +
               (decimals == 2 ? QStringLiteral("最多两位小数") : QStringLiteral("最多四位小数"));
    case Money::ParseError::tooLarge:
        return name + QStringLiteral("超出范围");
    }
    return {};
}

} // namespace

Outcome read(Target target, const QString& quantityText, const QString& costText)
{
    Outcome outcome;
    const QString name = target == Target::fund ? QStringLiteral("份额") : QStringLiteral("克数");
    const int decimals = quantityDecimals(target);
    const Money::Parsed quantity = Money::parse(quantityText, decimals, Profit::quantityLimit);
    if (quantity.error)
        outcome.quantityError = problem(*quantity.error, name, decimals);
    std::optional<qint64> cost;
    const Money::Parsed parsedCost =
        Money::parse(costText, Profit::costDecimals, Profit::costLimit);
    if (parsedCost.error && *parsedCost.error != Money::ParseError::empty)
        outcome.costError =
            problem(*parsedCost.error, QStringLiteral("成本价"), Profit::costDecimals);
    else
        cost = parsedCost.units;
    if (quantity.units && outcome.costError.isEmpty())
        outcome.position = Profit::Position{.quantity = *quantity.units, .cost = cost};
    return outcome;
}

QString quantityText(Target target, const Profit::Position& position)
{
    return Money::text(position.quantity, quantityDecimals(target));
}

QString costText(const Profit::Position& position)
{
    return position.cost ? Money::text(*position.cost, Profit::costDecimals) : QString();
}

QString quantityUnit(Target target)
{
    return target == Target::fund ? QStringLiteral("份") : QStringLiteral("克");
}

QString costUnit(Target target)
{
    return target == Target::fund ? QStringLiteral("元/份") : QStringLiteral("元/克");
}

} // namespace HoldingForm
