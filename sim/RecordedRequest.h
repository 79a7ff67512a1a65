#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QPair>
#include <QString>

// One request as the simulator received it, kept for tests to inspect.
struct RecordedRequest {
    QByteArray method; // "GET"
    QString path;      // "/api/qt/ulist.np/get"
    // The query without '?', still percent-encoded (QUrl normalises the hex
    // digits to upper case and decodes unreserved characters, nothing more).
    QString query;
    QList<QPair<QByteArray, QByteArray>> headers;

    // The first header of that name, compared case-insensitively; empty if absent.
    QByteArray header(const QByteArray& name) const;
    bool hasHeader(const QByteArray& name) const;
    // A query item, percent-decoded; empty if absent.
    QString queryItem(const QString& key) const;
};

Q_DECLARE_METATYPE(RecordedRequest)
