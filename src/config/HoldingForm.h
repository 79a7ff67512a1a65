#pragma once

#include "market/Profit.h"

#include <QString>

#include <optional>

// The logic of the holding sheet, without its widgets: what the two fields
// say, read exactly, and what is wrong with them in words the user can act
// on.
namespace HoldingForm {

enum class Target { fund, gold };

struct Outcome {
    std::optional<Profit::Position> position; // when both fields read
    QString quantityError;                    // empty when the field reads
    QString costError;
};

// The quantity is required (shares with up to two decimals, grams with up
// to four); the cost per unit (up to four decimals) may be left empty.
Outcome read(Target target, const QString& quantity, const QString& cost);

// What the fields show for a stored holding: "10000.00" and "0.9512", or an
// empty cost.
QString quantityText(Target target, const Profit::Position& position);
QString costText(const Profit::Position& position);

// "份" or "克", and "元/份" or "元/克".
QString quantityUnit(Target target);
QString costUnit(Target target);

} // namespace HoldingForm
