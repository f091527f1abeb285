#pragma once

#include "Knobwire/Discovery.h"
#include "Knobwire/KnobwireProvider.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace Quorvel {

class ClientModel;

// Offers the connected host's actions to other applications on this machine over the
// app-control protocol: one control per deck action with its live state, whose press runs the
// action on the host through the client model. The user's choice is kept under
// "Quorvel.shareActions" (offered when it was never chosen). Lives on the main thread; the
// model must outlive it.
class ActionSharing : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isEnabled READ isEnabled WRITE setEnabled NOTIFY isEnabledChanged)
    Q_PROPERTY(QStringList users READ users NOTIFY usersChanged)

public:
    static inline const QString shareActionsKey = QStringLiteral("Quorvel.shareActions");
    // This application's identity towards consumers: its desktop-entry id.
    static inline const QString defaultApp = QStringLiteral("com.vantrel.quorvel");
    static inline const QString providerName = QStringLiteral("Quorvel");

    // Starts offering at once when the stored choice allows it.
    explicit ActionSharing(ClientModel &model,
                           Knobwire::Discovery discovery = Knobwire::Discovery(),
                           QString app = defaultApp, QObject *parent = nullptr);
    ~ActionSharing() override;

    bool isEnabled() const { return m_isEnabled; }
    // Stores a changed choice, then starts or stops offering; the current value does nothing.
    void setEnabled(bool enabled);
    // The names of the consumers connected now, as they introduced themselves.
    const QStringList &users() const { return m_users; }
    // The line shown under the sharing switch.
    QString statusText() const;

    // The provider while offering, else null.
    Knobwire::KnobwireProvider *provider() const { return m_provider.get(); }

signals:
    void isEnabledChanged();
    void usersChanged();

private:
    void startOffering();
    void stopOffering();
    void setUsers(const QStringList &users);
    void scheduleRepublish();
    void republish();
    QList<Knobwire::Control> currentControls() const;
    void handlePress(const Knobwire::KnobwireProvider::Press &press);

    ClientModel &m_model;
    Knobwire::Discovery m_discovery;
    QString m_app;
    bool m_isEnabled = true;
    QStringList m_users;
    std::unique_ptr<Knobwire::KnobwireProvider> m_provider;
    // A republish is queued: further changes before it runs are covered by it.
    bool m_tracking = false;
};

} // namespace Quorvel
