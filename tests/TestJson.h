#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

// Parses a JSON object literal written in a test table; a typo in the table
// fails loudly instead of reading as an empty answer.
inline QJsonObject jsonObject(const QByteArray& text)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        qFatal("bad JSON in test table: %s (%s)", text.constData(),
               qPrintable(error.errorString()));
    return document.object();
}
