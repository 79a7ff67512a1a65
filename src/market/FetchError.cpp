#include "FetchError.h"

FetchError::FetchError(Kind kind, QString tag) : m_kind(kind), m_tag(std::move(tag))
{
    m_what = description().toUtf8();
    if (!m_tag.isEmpty())
        m_what += " (" + m_tag.toUtf8() + ')';
}

QString FetchError::description() const
{
    switch (m_kind) {
    case Kind::invalidData:
        return QStringLiteral("数据格式异常");
    case Kind::badResponse:
        return QStringLiteral("服务器响应异常");
    case Kind::timeout:
        return QStringLiteral("网络连接超时");
    case Kind::noConnection:
        return QStringLiteral("无法连接服务器");
    }
    return QStringLiteral("服务器响应异常");
}

const char* FetchError::what() const noexcept
{
    return m_what.constData();
}

JsonDecodeError::JsonDecodeError(QJsonParseError error) : m_error(error)
{
    m_what = "JSON decoding failed at offset " + QByteArray::number(error.offset) + ": " +
             error.errorString().toUtf8();
}

const char* JsonDecodeError::what() const noexcept
{
    return m_what.constData();
}
