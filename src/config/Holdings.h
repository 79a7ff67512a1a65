#pragma once

#include "market/Profit.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

// What the user holds: shares of watched funds and grams of gold, each with
// what one unit cost when the user gave it, and whether sums of money are
// hidden on screen.
//
// Stored form, compact JSON under "com.orlenby.quotara.Holdings":
//
//   {"v":1,"funds":{"161725":{"shares":"10000.00","cost":"0.9512"}},
//    "gold":{"grams":"20.0000"},"hideAmounts":false}
//
// Figures are decimal texts, written with the decimals they are kept with
// (shares two, grams and costs four) and read exactly, never through a
// double; "cost" is left out when not given, "gold" when nothing is held.
// Anything else (another version, a negative or malformed figure, more
// decimals than kept, a figure past its bound) makes the whole record
// unreadable: it is ignored, and copied to the same key followed by
// ".unreadable" before the first write replaces it.
struct Holdings {
    QMap<QString, Profit::Position> funds; // by fund code
    std::optional<Profit::Position> gold;
    bool hideAmounts = false;

    bool operator==(const Holdings&) const = default;

    std::optional<Profit::Position> fund(const QString& code) const;

    QByteArray toJson() const;
    static std::optional<Holdings> fromJson(const QByteArray& bytes);
};
