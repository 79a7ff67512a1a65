#include "OrderedJson.h"

#include <charconv>
#include <cmath>

namespace OrderedJson {

QByteArray string(QStringView text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (const char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[7];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

std::optional<QByteArray> number(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    if (value == 0)
        value = 0; // no "-0" in a stored form
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, result.ptr - buffer);
}

QByteArray boolean(bool value)
{
    return value ? QByteArrayLiteral("true") : QByteArrayLiteral("false");
}

QByteArray object(const QList<QPair<QString, QByteArray>>& members)
{
    QByteArray out = "{";
    for (qsizetype i = 0; i < members.size(); ++i) {
        if (i > 0)
            out += ',';
        out += string(members[i].first);
        out += ':';
        out += members[i].second;
    }
    out += '}';
    return out;
}

QByteArray array(const QList<QByteArray>& elements)
{
    QByteArray out = "[";
    for (qsizetype i = 0; i < elements.size(); ++i) {
        if (i > 0)
            out += ',';
        out += elements[i];
    }
    out += ']';
    return out;
}

} // namespace OrderedJson
