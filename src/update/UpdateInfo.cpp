#include "UpdateInfo.h"

#include "config/OrderedJson.h"

#include <QJsonDocument>
#include <QJsonObject>

std::optional<UpdateInfo> UpdateInfo::fromJson(const QByteArray& bytes)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject root = document.object();
    const QJsonValue version = root.value(QStringLiteral("version"));
    const QJsonValue download = root.value(QStringLiteral("download_url"));
    if (!version.isString() || !download.isString())
        return std::nullopt;
    UpdateInfo info{.version = version.toString(),
                    .notes = std::nullopt,
                    .downloadUrl = download.toString(),
                    .releaseUrl = std::nullopt};
    auto optionalText = [&](const QString& key, std::optional<QString>& into) {
        const QJsonValue v = root.value(key);
        if (v.isString())
            into = v.toString();
        return v.isString() || v.isNull() || v.isUndefined();
    };
    if (!optionalText(QStringLiteral("notes"), info.notes) ||
        !optionalText(QStringLiteral("release_url"), info.releaseUrl))
        return std::nullopt;
    return info;
}

std::optional<UpdateInfo> UpdateInfo::fromGitHubRelease(const QByteArray& bytes,
                                                        const QString& releasesPage)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject root = document.object();
    const QJsonValue tag = root.value(QStringLiteral("tag_name"));
    if (!tag.isString())
        return std::nullopt;
    QString version = tag.toString();
    if (version.startsWith(u'v'))
        version.remove(0, 1);
    const QJsonValue body = root.value(QStringLiteral("body"));
    return UpdateInfo{
        .version = version,
        .notes = body.isString() ? std::optional<QString>(body.toString()) : std::nullopt,
        .downloadUrl = releasesPage + QStringLiteral("/latest"),
        .releaseUrl = releasesPage,
    };
}

QByteArray UpdateInfo::toJson() const
{
    QList<QPair<QString, QByteArray>> members{
        {QStringLiteral("version"), OrderedJson::string(version)}};
    if (notes)
        members.append({QStringLiteral("notes"), OrderedJson::string(*notes)});
    members.append({QStringLiteral("download_url"), OrderedJson::string(downloadUrl)});
    if (releaseUrl)
        members.append({QStringLiteral("release_url"), OrderedJson::string(*releaseUrl)});
    return OrderedJson::object(members);
}

bool isOpenableWebAddress(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QStringLiteral("http") || scheme == QStringLiteral("https");
}

std::optional<QUrl> UpdateInfo::openableDownloadUrl() const
{
    if (!isOpenableWebAddress(downloadUrl))
        return std::nullopt;
    return QUrl(downloadUrl, QUrl::StrictMode);
}
