#include "JsonRead.h"

#include "FetchError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLatin1String>

#include <charconv>
#include <cmath>
#include <limits>

namespace JsonRead {

namespace {

QJsonValue valueOf(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key));
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

QJsonObject answerObject(const QByteArray& body)
{
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw JsonDecodeError(parseError);
    if (!document.isObject())
        throw FetchError::invalidData(QStringLiteral("JSON 解析失败"));
    return document.object();
}

std::optional<QString> text(const QJsonObject& object, const char* key)
{
    const QJsonValue v = valueOf(object, key);
    if (!v.isString())
        return std::nullopt;
    return v.toString();
}

std::optional<double> number(const QJsonObject& object, const char* key)
{
    const QJsonValue v = valueOf(object, key);
    if (!v.isDouble())
        return std::nullopt;
    return v.toDouble();
}

std::optional<QJsonObject> object(const QJsonObject& object, const char* key)
{
    const QJsonValue v = valueOf(object, key);
    if (!v.isObject())
        return std::nullopt;
    return v.toObject();
}

std::optional<QList<QJsonObject>> objects(const QJsonObject& object, const char* key)
{
    const QJsonValue v = valueOf(object, key);
    if (!v.isArray())
        return std::nullopt;
    const QJsonArray array = v.toArray();
    QList<QJsonObject> result;
    result.reserve(array.size());
    for (const QJsonValue& element : array) {
        if (!element.isObject())
            return std::nullopt;
        result.append(element.toObject());
    }
    return result;
}

std::optional<QStringList> strings(const QJsonObject& object, const char* key)
{
    const QJsonValue v = valueOf(object, key);
    if (!v.isArray())
        return std::nullopt;
    const QJsonArray array = v.toArray();
    QStringList result;
    result.reserve(array.size());
    for (const QJsonValue& element : array) {
        if (!element.isString())
            return std::nullopt;
        result.append(element.toString());
    }
    return result;
}

QString textOr(const QJsonObject& object, const char* key)
{
    return text(object, key).value_or(QString());
}

double numberOr(const QJsonObject& object, const char* key)
{
    return number(object, key).value_or(0.0);
}

std::optional<double> decimal(QStringView text)
{
    // Validate the grammar ourselves: std::from_chars would accept "inf",
    // "nan" and a bare "1." is fine but "." is not.
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype intDigits = 0;
    while (i < n && isDigit(text[i])) {
        ++i;
        ++intDigits;
    }
    qsizetype fracDigits = 0;
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && isDigit(text[i])) {
            ++i;
            ++fracDigits;
        }
    }
    if (intDigits + fracDigits == 0)
        return std::nullopt;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        qsizetype expDigits = 0;
        while (i < n && isDigit(text[i])) {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;

    // Only ASCII is left, so every character narrows exactly. Four numbers
    // of every minute line come through here: the provider's short ones are
    // narrowed on the stack rather than into a new QByteArray each.
    char buffer[64];
    QByteArray longer;
    const char* begin = buffer;
    const char* end = buffer;
    if (n <= qsizetype(sizeof buffer)) {
        for (qsizetype k = 0; k < n; ++k)
            buffer[k] = char(text[k].unicode());
        // Only here: past the array's end the pointer itself is undefined.
        end = buffer + n;
    } else {
        longer = text.toLatin1();
        begin = longer.constData();
        end = begin + longer.size();
    }
    if (*begin == '+')
        ++begin; // from_chars takes no plus sign
    double value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> leadingInteger(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i >= n || !isDigit(text[i]))
        return std::nullopt;
    long long value = 0;
    while (i < n && isDigit(text[i])) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > std::numeric_limits<int>::max())
            return std::nullopt; // no market number is that large
        ++i;
    }
    return static_cast<int>(negative ? -value : value);
}

} // namespace JsonRead
