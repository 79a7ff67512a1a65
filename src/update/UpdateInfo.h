#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

// One published release.
struct UpdateInfo {
    QString version; // dotted decimal, e.g. 1.4.2
    std::optional<QString> notes;
    QString downloadUrl;
    std::optional<QString> releaseUrl;

    bool operator==(const UpdateInfo&) const = default;

    // Keys "version", "notes", "download_url", "release_url"; the first and
    // third are required, the others may be missing or null.
    static std::optional<UpdateInfo> fromJson(const QByteArray& bytes);
    // GitHub's latest-release answer: "tag_name" (required; a leading "v" is
    // dropped) and "body" as the notes. GitHub names no download of ours, so
    // the download is the releases page's "/latest" and the release URL the
    // page itself.
    static std::optional<UpdateInfo> fromGitHubRelease(const QByteArray& bytes,
                                                       const QString& releasesPage);
    QByteArray toJson() const;

    // The download address only when it is an http or https URL with a host:
    // it comes from the network and must never open a file or run a script.
    std::optional<QUrl> openableDownloadUrl() const;
};

// Release notes as one line of plain text for the update banner: markdown
// marks (headings, list bullets, quotes, emphasis, code, links and images
// reduced to their text) and line breaks of every kind gone, the lines that
// are left joined with a space, blanks folded.
QString plainNotes(const QString& notes);

// Whether a text may be opened in the user's browser: http or https with a host.
bool isOpenableWebAddress(const QString& text);
