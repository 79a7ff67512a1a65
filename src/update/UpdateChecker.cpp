#include "UpdateChecker.h"

#include "market/NetworkClient.h"
#include "market/Origins.h"

#include <QNetworkRequest>

namespace {

QCoro::Task<std::optional<QByteArray>> fetchRecord(QString url, QString version, bool github,
                                                   CancelHandle cancel)
{
    QNetworkRequest request{QUrl(url)};
    // Always ask the source: a cached record would hide a fresh release.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setRawHeader(QByteArrayLiteral("User-Agent"),
                         QByteArrayLiteral("OrlenbyQuotara/") + version.toUtf8());
    if (github)
        request.setRawHeader(QByteArrayLiteral("Accept"),
                             QByteArrayLiteral("application/vnd.github+json"));
    try {
        co_return co_await NetworkClient::getBody(std::move(request), UpdateChecker::timeout,
                                                  std::move(cancel));
    } catch (const FetchError&) {
        co_return std::nullopt;
    }
}

} // namespace

QString UpdateChecker::runningVersion()
{
#ifdef QUOTARA_VERSION
    const QString version = QStringLiteral(QUOTARA_VERSION);
    return version.isEmpty() ? QStringLiteral("0") : version;
#else
    return QStringLiteral("0");
#endif
}

UpdateChecker::UpdateChecker(QObject* parent, QString currentVersion, QString updateOrigin,
                             QString githubApiOrigin)
    : QObject(parent),
      m_currentVersion(currentVersion.isEmpty() ? QStringLiteral("0") : std::move(currentVersion))
{
    if (updateOrigin.isEmpty())
        updateOrigin = Origins::update();
    if (githubApiOrigin.isEmpty())
        githubApiOrigin = Origins::githubApi();
    m_primaryURL = updateOrigin + QStringLiteral("/works/downloads/version.json");
    m_githubAPIURL =
        githubApiOrigin + QStringLiteral("/repos/kestrin-orlenby/quotara/releases/latest");
}

bool UpdateChecker::autoCheckEnabled() const
{
    return m_preferences.boolean(autoCheckKey).value_or(true);
}

void UpdateChecker::setAutoCheckEnabled(bool enabled)
{
    m_preferences.setBoolean(autoCheckKey, enabled);
}

std::optional<QString> UpdateChecker::ignoredVersion() const
{
    return m_preferences.string(ignoredVersionKey);
}

void UpdateChecker::setIgnoredVersion(const std::optional<QString>& version)
{
    if (version)
        m_preferences.setString(ignoredVersionKey, *version);
    else
        m_preferences.remove(ignoredVersionKey);
}

void UpdateChecker::checkForUpdate()
{
    if (autoCheckEnabled())
        performCheck();
}

void UpdateChecker::manualCheck()
{
    if (m_isChecking)
        return;
    m_availableUpdate.reset();
    setIgnoredVersion(std::nullopt); // a manual check shows an ignored release again
    m_isManualCheck = true;
    m_manualCheckStatus = ManualCheckStatus::checking;
    emit changed();
    performCheck();
}

void UpdateChecker::ignoreCurrentVersion()
{
    if (!m_availableUpdate)
        return;
    setIgnoredVersion(m_availableUpdate->version);
    m_availableUpdate.reset();
    emit changed();
}

void UpdateChecker::performCheck()
{
    if (m_isChecking)
        return;
    m_isChecking = true;
    emit changed();
    runCheck(); // runs on by itself; the checker's end aborts and finishes it
}

QCoro::Task<void> UpdateChecker::runCheck()
{
    // The checker's end resumes us from inside its destructor: from then on
    // nothing of it may be used, nor a second request started.
    const CancelHandle lifetime = m_scope.handle();
    std::optional<UpdateInfo> release = co_await fetchFromPrimary();
    if (lifetime->isCancelled())
        co_return;
    if (!release) {
        release = co_await fetchFromGitHub();
        if (lifetime->isCancelled())
            co_return;
    }
    if (release)
        handleResult(*release);
    else
        finishFailed();
}

QCoro::Task<std::optional<UpdateInfo>> UpdateChecker::fetchFromPrimary()
{
    const auto body = co_await fetchRecord(m_primaryURL, m_currentVersion, false, m_scope.handle());
    if (!body)
        co_return std::nullopt;
    auto info = UpdateInfo::fromJson(*body);
    if (info && !info->releaseUrl)
        info->releaseUrl = githubReleaseURL;
    co_return info;
}

QCoro::Task<std::optional<UpdateInfo>> UpdateChecker::fetchFromGitHub()
{
    const auto body =
        co_await fetchRecord(m_githubAPIURL, m_currentVersion, true, m_scope.handle());
    if (!body)
        co_return std::nullopt;
    co_return UpdateInfo::fromGitHubRelease(*body, githubReleaseURL);
}

void UpdateChecker::handleResult(const UpdateInfo& release)
{
    m_isChecking = false;
    ManualCheckStatus outcome = ManualCheckStatus::upToDate;
    if (isNewer(release.version, m_currentVersion)) {
        if (ignoredVersion() == release.version) {
            m_availableUpdate.reset();
        } else {
            m_availableUpdate = release;
            outcome = ManualCheckStatus::newVersion;
        }
    } else {
        m_availableUpdate.reset();
    }
    if (m_isManualCheck) {
        m_manualCheckStatus = outcome;
        m_isManualCheck = false;
    }
    emit changed();
    emit checkFinished();
}

void UpdateChecker::finishFailed()
{
    m_isChecking = false;
    if (m_isManualCheck) {
        m_manualCheckStatus = ManualCheckStatus::failed;
        m_isManualCheck = false;
    }
    emit changed();
    emit checkFinished();
}

QList<long long> UpdateChecker::versionParts(const QString& version)
{
    QList<long long> parts;
    for (const QStringView piece : QStringView(version).split(u'.', Qt::SkipEmptyParts)) {
        // Optional sign, decimal digits, nothing else.
        qsizetype i = 0;
        bool negative = false;
        if (i < piece.size() && (piece[i] == u'+' || piece[i] == u'-')) {
            negative = piece[i] == u'-';
            ++i;
        }
        if (i == piece.size() || piece.size() - i > 18)
            continue;
        long long value = 0;
        bool digits = true;
        for (; i < piece.size(); ++i) {
            if (piece[i] < u'0' || piece[i] > u'9') {
                digits = false;
                break;
            }
            value = value * 10 + (piece[i].unicode() - u'0');
        }
        if (digits)
            parts.append(negative ? -value : value);
    }
    return parts;
}

bool UpdateChecker::isNewer(const QString& remote, const QString& local)
{
    const QList<long long> r = versionParts(remote);
    const QList<long long> l = versionParts(local);
    for (qsizetype i = 0; i < std::max(r.size(), l.size()); ++i) {
        const long long a = i < r.size() ? r[i] : 0;
        const long long b = i < l.size() ? l[i] : 0;
        if (a != b)
            return a > b;
    }
    return false;
}
