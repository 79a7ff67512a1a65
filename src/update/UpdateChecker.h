#pragma once

#include "UpdateInfo.h"
#include "config/Preferences.h"
#include "market/CancelToken.h"

#include <QCoroTask>
#include <QObject>

#include <chrono>

// Finds out whether a newer release exists: first the version record on the
// maker's web site, then GitHub's latest release. Remembers one version the
// user chose to ignore and whether automatic checks are wanted.
class UpdateChecker : public QObject {
    Q_OBJECT
public:
    enum class ManualCheckStatus { idle, checking, upToDate, newVersion, failed };
    Q_ENUM(ManualCheckStatus)

    static inline const QString ignoredVersionKey =
        QStringLiteral("com.orlenby.quotara.ignoredVersion");
    static inline const QString autoCheckKey =
        QStringLiteral("com.orlenby.quotara.autoCheckUpdate");
    static inline const QString githubReleaseURL =
        QStringLiteral("https://github.com/kestrin-orlenby/quotara/releases");
    static constexpr std::chrono::milliseconds timeout{3000};

    // The version of the running build; "0" when none is known.
    static QString runningVersion();

    explicit UpdateChecker(QObject* parent = nullptr, QString currentVersion = runningVersion(),
                           QString updateOrigin = {}, QString githubApiOrigin = {});

    const std::optional<UpdateInfo>& availableUpdate() const { return m_availableUpdate; }
    bool isChecking() const { return m_isChecking; }
    ManualCheckStatus manualCheckStatus() const { return m_manualCheckStatus; }
    const QString& currentVersion() const { return m_currentVersion; }

    // True when the switch was never written.
    bool autoCheckEnabled() const;
    void setAutoCheckEnabled(bool enabled);
    std::optional<QString> ignoredVersion() const;
    void setIgnoredVersion(const std::optional<QString>& version);

    void checkForUpdate();       // automatic: only when switched on
    void manualCheck();          // the settings button
    void ignoreCurrentVersion(); // the banner's "ignore"

    // Dotted versions compared piece by piece, a missing piece counting as 0;
    // pieces that are not integers are dropped ("1.2.0-beta" reads as 1.2).
    static QList<long long> versionParts(const QString& version);
    static bool isNewer(const QString& remote, const QString& local);

signals:
    void changed();
    void checkFinished();

private:
    void performCheck();
    QCoro::Task<void> runCheck();
    QCoro::Task<std::optional<UpdateInfo>> fetchFromPrimary();
    QCoro::Task<std::optional<UpdateInfo>> fetchFromGitHub();
    void handleResult(const UpdateInfo& release);
    void finishFailed();

    Preferences m_preferences;
    QString m_currentVersion;
    QString m_primaryURL;
    QString m_githubAPIURL;
    std::optional<UpdateInfo> m_availableUpdate;
    bool m_isChecking = false;
    bool m_isManualCheck = false;
    ManualCheckStatus m_manualCheckStatus = ManualCheckStatus::idle;
    RequestScope m_scope;
};
