#include "OrderedJson.h"

#include <QJsonDocument>

#include <charconv>
#include <cmath>
#include <cstdio>

namespace OrderedJson {

namespace {

void appendEscape(QByteArray& out, char16_t unit)
{
    char escaped[7];
    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(unit));
    out += escaped;
}

void appendUtf8(QByteArray& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

QByteArray string(QStringView text)
{
    QByteArray out;
    out.reserve(text.size() + 2);
    out += '"';
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'"':
            out += "\\\"";
            break;
        case u'\\':
            out += "\\\\";
            break;
        case u'\b':
            out += "\\b";
            break;
        case u'\f':
            out += "\\f";
            break;
        case u'\n':
            out += "\\n";
            break;
        case u'\r':
            out += "\\r";
            break;
        case u'\t':
            out += "\\t";
            break;
        default:
            if (c.unicode() < 0x20) {
                appendEscape(out, c.unicode());
            } else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                appendUtf8(out, QChar::surrogateToUcs4(c, text[i + 1]));
                ++i;
            } else if (c.isSurrogate()) {
                // Half a pair has no UTF-8 form (it would be written as "?");
                // an escape reads back as exactly the text that was stored.
                appendEscape(out, c.unicode());
            } else {
                appendUtf8(out, c.unicode());
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

std::optional<QJsonObject> versionedObject(const QByteArray& bytes, int version)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    QJsonObject root = document.object();
    const QJsonValue v = root.value(QStringLiteral("v"));
    if (!v.isDouble() || v.toDouble() != version)
        return std::nullopt;
    return root;
}

} // namespace OrderedJson
