#include "QuorvelClientUI/Views/Editor/LocalHostEditor.h"

#include "Platform/Session/SecretItemLabel.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"

#include <QCoreApplication>

namespace Quorvel {

LocalHostEditor::LocalHostEditor(KeychainTokenStore tokens, ClientTimings timings, QObject *parent)
    : QObject(parent), m_tokens(std::move(tokens)), m_timings(timings)
{}

LocalHostEditor::~LocalHostEditor() = default;

QString LocalHostEditor::windowTitle()
{
    return QCoreApplication::translate("LocalHostEditor", "Edit This Computer's Actions");
}

std::optional<QString> LocalHostEditor::unavailableReason(const HostCoordinator &coordinator)
{
    const std::optional<quint16> port = coordinator.port();
    if (port && *port != 0)
        return std::nullopt;
    return coordinator.listenerStatus();
}

ClientModel &LocalHostEditor::model()
{
    if (!m_model)
        m_model = std::make_unique<ClientModel>(clientName, m_tokens, false, m_timings);
    return *m_model;
}

bool LocalHostEditor::open(HostCoordinator &coordinator, const std::function<void()> &showWindow)
{
    const std::optional<quint16> port = coordinator.port();
    if (!port || *port == 0)
        return false;
    ClientModel &client = model();
    client.setEditorKey(coordinator.editorKey());
    DiscoveredHost host;
    host.id = QStringLiteral("local-") + coordinator.hostID();
    host.name = coordinator.hostName();
    host.endpoint = HostPortEndpoint{QStringLiteral("localhost"), *port};
    host.protocolVersion = Message::protocolVersion;
    host.hostID = coordinator.hostID();
    // The keyring saves asynchronously: a connection started before its answer could read the
    // code of before a rotation and ask this computer to pair with itself. A keyring slower than
    // the store's time-out (a busy desktop, a keyring still starting) is waited for, not taken
    // for a failure: its save still goes on and lands, and only its own answer says whether the
    // code is there to connect with and to label. Refused (its first-use question dismissed),
    // connecting would only find no code and ask for pairing without saying why.
    m_tokens.save(
        coordinator.pairingToken(), coordinator.hostID(), this,
        [this, host](bool saved) {
            if (saved)
                SecretItemLabel::set(QDBusConnection::sessionBus(), m_tokens.service(),
                                     *host.hostID, keyringLabel, this);
            ClientModel &client = model();
            const auto kind = client.status().kind();
            if (kind != ClientConnectionStatus::Kind::connected &&
                kind != ClientConnectionStatus::Kind::connecting) {
                if (saved)
                    client.connectTo(host);
                else
                    client.codeNotSaved(host);
            }
            emit codeSaved(saved);
        },
        // The window is already open; the store logs the wait.
        [] {});
    if (showWindow)
        showWindow();
    return true;
}

} // namespace Quorvel
