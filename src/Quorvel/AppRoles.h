#pragma once

#include <QObject>
#include <QString>

namespace Quorvel {

// The user's choice of roles (remote, hosting) and whether the first-run set-up was done, kept in
// the settings. On the first run the flags come from an earlier installation of the host as a
// program of its own, when one is found; once per computer two host settings are copied from that
// program's settings. Changing a flag only stores it: the running services follow when
// AppState::applyRoles is called.
class AppRoles : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool remote READ remote WRITE setRemote NOTIFY remoteChanged)
    Q_PROPERTY(bool hosting READ hosting WRITE setHosting NOTIFY hostingChanged)
    Q_PROPERTY(bool onboarded READ onboarded WRITE setOnboarded NOTIFY onboardedChanged)
    Q_PROPERTY(bool wasOldHost READ wasOldHost CONSTANT)

public:
    static inline const QString remoteKey = QStringLiteral("Quorvel.role.remote");
    static inline const QString hostingKey = QStringLiteral("Quorvel.role.hosting");
    static inline const QString onboardedKey = QStringLiteral("Quorvel.onboarded");
    static inline const QString migratedKey = QStringLiteral("Quorvel.migratedFromTwoApps");
    // The host settings that the earlier host program kept, copied once.
    static inline const QStringList migratedSettings = {QStringLiteral("allowRemoteDeckEditing"),
                                                        QStringLiteral("knobwireProviders")};
    // The earlier host program's start-at-login file, under the home folder.
    static inline const QString oldAgentFile =
        QStringLiteral("Library/LaunchAgents/com.vantrel.quorvel.host.plist");
    // The earlier host program's settings domain.
    static inline const QString oldSuite = QStringLiteral("com.vantrel.quorvel.host");

    // Where the earlier installation would be; both are found from the environment when empty.
    struct Paths {
        // The home folder the earlier start-at-login file is looked for under.
        QString home;
        // The earlier program's settings file.
        QString oldSettings;
    };

    // Reads or derives the flags and runs the one-time copy.
    explicit AppRoles(Paths paths = {}, QObject *parent = nullptr);
    ~AppRoles() override;

    bool remote() const { return m_remote; }
    bool hosting() const { return m_hosting; }
    bool onboarded() const { return m_onboarded; }
    // True only when this run found the earlier host installation.
    bool wasOldHost() const { return m_wasOldHost; }

    // Each setter stores the value, also when it did not change, and notifies on a change.
    void setRemote(bool on);
    void setHosting(bool on);
    void setOnboarded(bool done);

    // A stored value as a flag: a Bool, the texts "true" and "false", or a number (non-zero is
    // true); anything else is false.
    static bool readFlag(const QVariant &value);
    static QString defaultOldSettingsPath();

signals:
    void remoteChanged();
    void hostingChanged();
    void onboardedChanged();

private:
    void migrate(const QString &oldSettingsPath);
    void store(const QString &key, bool value);

    bool m_remote = false;
    bool m_hosting = false;
    bool m_onboarded = false;
    bool m_wasOldHost = false;
};

} // namespace Quorvel
