#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringView>

#include <optional>

// Compact JSON with keys in the order they are added. The stored forms of the
// watch list and the rules are fixed texts, key order included, which
// QJsonDocument (it sorts keys and escapes differently) cannot produce.
namespace OrderedJson {

// A JSON string: quotes, backslashes and control characters escaped, every
// other character written as UTF-8 (slashes and Chinese text as they are),
// except half a surrogate pair, which UTF-8 cannot carry: it is escaped.
QByteArray string(QStringView text);

// The shortest text that reads back as the same double; nothing for NaN and
// infinities, which JSON cannot carry.
std::optional<QByteArray> number(double value);

QByteArray boolean(bool value);

// Members are (key, already-encoded value).
QByteArray object(const QList<QPair<QString, QByteArray>>& members);
QByteArray array(const QList<QByteArray>& elements);

// Reading back a record written with a version, {"v":<version>,…}: its
// top-level object when the bytes are that and nothing else.
std::optional<QJsonObject> versionedObject(const QByteArray& bytes, int version);

} // namespace OrderedJson
