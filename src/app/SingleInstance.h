#pragma once

#include <QDBusConnection>
#include <QLockFile>
#include <QObject>
#include <QPointer>

#include <functional>

class PanelHost;

// One tray app per settings scope. The first launch holds a lock beside the
// settings file for as long as it runs and, where there is a session bus,
// owns the scope's name on it. A later launch asks the running app over the
// bus to open its panel and leaves; without a bus there is no way to reach
// the running app, and a later launch only says so.
//
// The object itself is what the bus serves at objectPath: the method
// ShowPanel and the property PanelVisible.
class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.orlenby.quotara")
    Q_PROPERTY(bool PanelVisible READ isPanelVisible)
public:
    enum class Claim {
        first,      // this process is the app
        handedOver, // the running app was asked to open its panel
        turnedAway, // an app runs that cannot be reached
    };

    static inline const QString objectPath = QStringLiteral("/com/orlenby/quotara");
    static inline const QString interfaceName = QStringLiteral("com.orlenby.quotara");
    // Beside the settings file, after its name.
    static inline const QString lockSuffix = QStringLiteral(".instance-lock");

    // The bus name of a settings scope: "com.orlenby.quotara" for the user's
    // ("quotara"), "com.orlenby.quotara.demo" for the demo's ("quotara-demo").
    static QString serviceName(const QString& scope);

    SingleInstance(QDBusConnection bus, QString service, const QString& lockPath,
                   QObject* parent = nullptr);
    ~SingleInstance() override;

    // Becomes the app, or hands over to the one running. Says on standard
    // error why it did not become the app when the running one could not be
    // asked to open its panel.
    Claim claim();

    // Answers later launches from now on: `showPanel` opens `panel`. A
    // request that came while the app was still being built is answered now.
    void serve(PanelHost* panel, std::function<void()> showPanel);

    bool isPanelVisible() const;

public slots:
    Q_SCRIPTABLE void ShowPanel();

private:
    void handOver();
    void releaseName();

    QDBusConnection m_bus;
    QString m_service;
    QLockFile m_lock;
    bool m_ownsName = false;
    QPointer<PanelHost> m_panel;
    std::function<void()> m_showPanel;
    bool m_showPending = false;
};
