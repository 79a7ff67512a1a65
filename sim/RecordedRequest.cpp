#include "RecordedRequest.h"

#include <QUrlQuery>

QByteArray RecordedRequest::header(const QByteArray& name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

bool RecordedRequest::hasHeader(const QByteArray& name) const
{
    for (const auto& header : headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString RecordedRequest::queryItem(const QString& key) const
{
    return QUrlQuery(query).queryItemValue(key, QUrl::FullyDecoded);
}
