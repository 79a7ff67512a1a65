#include "SearchParser.h"

#include "JsonRead.h"

#include <QJsonArray>
#include <QSet>

namespace {

// The elements of `key` that are objects; anything else there is no entry.
QList<QJsonObject> entries(const QJsonObject& json, const char* key)
{
    QList<QJsonObject> out;
    for (const QJsonValue& element : json.value(QLatin1String(key)).toArray()) {
        if (element.isObject())
            out.append(element.toObject());
    }
    return out;
}

QString trimmedText(const QJsonObject& object, const char* key)
{
    return JsonRead::textOr(object, key).trimmed();
}

bool isFund(const QJsonObject& entry)
{
    // The category comes as a number, but the service is loose about numbers.
    const QJsonValue category = entry.value(QLatin1String("CATEGORY"));
    return category.toInt(-1) == 700 || category.toString() == u"700" ||
           JsonRead::text(entry, "CATEGORYDESC") == u"基金";
}

// Appends `hit` unless it lacks a code or a name or its code is listed.
void collect(QList<SearchHit>& hits, QSet<QString>& codes, SearchHit hit)
{
    if (hit.code.isEmpty() || hit.name.isEmpty() || codes.contains(hit.code))
        return;
    codes.insert(hit.code);
    hits.append(std::move(hit));
}

} // namespace

namespace SearchParser {

QList<SearchHit> funds(const QJsonObject& json)
{
    QList<SearchHit> hits;
    QSet<QString> codes;
    for (const QJsonObject& entry : entries(json, "Datas")) {
        if (hits.size() == maxHits)
            break;
        if (!isFund(entry))
            continue;
        const QJsonObject info = JsonRead::object(entry, "FundBaseInfo").value_or(QJsonObject());
        SearchHit hit{trimmedText(entry, "CODE"), trimmedText(entry, "NAME"),
                      trimmedText(info, "FTYPE")};
        if (hit.code.isEmpty())
            hit.code = trimmedText(info, "FCODE");
        if (hit.name.isEmpty())
            hit.name = trimmedText(info, "SHORTNAME");
        if (hit.kind.isEmpty())
            hit.kind = QStringLiteral("基金");
        collect(hits, codes, std::move(hit));
    }
    return hits;
}

QList<SearchHit> boards(const QJsonObject& json)
{
    static const QStringList kBoardTypes{QStringLiteral("行业"), QStringLiteral("概念"),
                                         QStringLiteral("地域")};
    QList<SearchHit> hits;
    QSet<QString> codes;
    for (const QJsonObject& entry : entries(json, "result")) {
        if (hits.size() == maxHits)
            break;
        const QString code = trimmedText(entry, "code").toUpper();
        const QString type = trimmedText(entry, "securityTypeName");
        // Which of the four types the service gives a board is not certain;
        // a board's code is.
        const bool board = kBoardTypes.contains(type) || type == u"板块" || code.startsWith(u"BK");
        if (!board)
            continue;
        collect(hits, codes,
                {code, trimmedText(entry, "shortName"),
                 kBoardTypes.contains(type) ? type : QStringLiteral("板块")});
    }
    return hits;
}

} // namespace SearchParser
