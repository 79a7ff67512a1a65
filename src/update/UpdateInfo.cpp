#include "UpdateInfo.h"

#include "config/OrderedJson.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

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

QString plainNotes(const QString& notes)
{
    static const QRegularExpression lineMarks(
        QStringLiteral(R"(^\s*(#{1,6}\s+|>\s*|[-*+]\s+|\d+[.)]\s+))"));
    static const QRegularExpression image(QStringLiteral(R"(!\[([^\]]*)\]\([^)]*\))"));
    static const QRegularExpression link(QStringLiteral(R"(\[([^\]]*)\]\([^)]*\))"));
    static const QRegularExpression strong(QStringLiteral(R"((\*\*|__|~~)(.+?)\1)"));
    static const QRegularExpression emphasis(
        QStringLiteral(R"((^|\W)[*_](\S(?:.*?\S)?)[*_](?=\W|$))"));
    QStringList parts;
    const QStringList lines = QString(notes).replace(u'\r', u'\n').split(u'\n', Qt::SkipEmptyParts);
    for (QString line : lines) {
        line.remove(lineMarks);
        line.replace(image, QStringLiteral("\\1"));
        line.replace(link, QStringLiteral("\\1"));
        line.replace(strong, QStringLiteral("\\2"));
        line.replace(emphasis, QStringLiteral("\\1\\2"));
        line.remove(u'`');
        line = line.simplified();
        if (!line.isEmpty())
            parts.append(line);
    }
    return parts.join(u' ');
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
