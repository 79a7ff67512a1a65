#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// The reading rules every reader of the provider's answers follows. The
// provider mixes types freely (a price may arrive as the string "-", a fund
// value as a numeric text, a missing row as null), so each rule says exactly
// which JSON type counts and treats everything else as absent.
namespace JsonRead {

// An answer's body as the JSON object every answer of the provider is.
// Throws JsonDecodeError for a body that is not JSON at all and
// FetchError::invalidData when its top level is an array.
QJsonObject answerObject(const QByteArray& body);

// A JSON string; any other type, null or a missing key is absent.
std::optional<QString> text(const QJsonObject& object, const char* key);
// A JSON number; a string (even a numeric one), null or a missing key is absent.
std::optional<double> number(const QJsonObject& object, const char* key);
std::optional<QJsonObject> object(const QJsonObject& object, const char* key);
// An array whose every element is an object; anything else is absent.
std::optional<QList<QJsonObject>> objects(const QJsonObject& object, const char* key);
// An array whose every element is a string; anything else is absent.
std::optional<QStringList> strings(const QJsonObject& object, const char* key);

// The defaults most readers use: absent text is empty, an absent number 0.
QString textOr(const QJsonObject& object, const char* key);
double numberOr(const QJsonObject& object, const char* key);

// A complete, locale-independent decimal number: optional sign, digits with
// an optional fraction, an optional exponent, nothing else (no blanks, no
// "inf", "nan" or hexadecimal). A value beyond the range of a double is refused.
std::optional<double> decimal(QStringView text);

// The integer at the start of a text: leading white space skipped, an optional
// sign and the decimal digits after it, anything later ignored.
std::optional<int> leadingInteger(QStringView text);

} // namespace JsonRead
