#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

// One entry a search found, as the add form lists it.
struct SearchHit {
    QString code; // a board's in upper case ("BK0475"), a fund's as sent ("005827")
    QString name;
    QString kind; // a board's 行业, 概念, 地域 or 板块; a fund's type ("混合型-偏股")
    bool operator==(const SearchHit&) const = default;
};

// What one search came to. `dropped` is a search whose answer no longer
// matters: a newer one took its place, or its text was not worth sending.
struct SearchOutcome {
    enum class Kind { hits, failed, dropped };
    Kind kind = Kind::dropped;
    QList<SearchHit> hits; // with `hits`: maybe none

    static SearchOutcome found(QList<SearchHit> hits) { return {Kind::hits, std::move(hits)}; }
    static SearchOutcome failed() { return {Kind::failed, {}}; }
    static SearchOutcome dropped() { return {Kind::dropped, {}}; }
    bool operator==(const SearchOutcome&) const = default;
};

// Readers of the two search services' answers. Both services list every
// kind of security they know, and their entries are read defensively: a
// field of the wrong type, a null list or an element that is no object
// costs that entry or nothing, never the answer.
namespace SearchParser {

// More would not fit under the field; the user types on instead.
inline constexpr qsizetype maxHits = 10;

// The funds of a fund search answer ("Datas"): entries of category 700 (or
// described as 基金), best first, each code once, at most maxHits.
QList<SearchHit> funds(const QJsonObject& json);

// The boards of a code search answer ("result"): entries of type 行业, 概念,
// 地域 or 板块, or with a code starting "BK" whatever their type, best first,
// each code once, at most maxHits.
QList<SearchHit> boards(const QJsonObject& json);

} // namespace SearchParser
