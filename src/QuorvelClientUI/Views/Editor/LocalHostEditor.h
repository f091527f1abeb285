#pragma once

#include "QuorvelClientUI/ClientTimings.h"
#include "QuorvelCore/Keychain/KeychainTokenStore.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace Quorvel {

class ClientModel;
class HostCoordinator;

// Edits this computer's own deck with the deck editor: a private client model reaches this
// computer's host over loopback and proves itself with the host's editor key, so the host takes
// its changes even while editing from other devices is off. One per process.
class LocalHostEditor : public QObject {
    Q_OBJECT

public:
    static inline const QString windowID = QStringLiteral("QuorvelLocalEditor");
    static inline const QString clientName = QStringLiteral("Quorvel on this computer");
    // What the keyring shows for the saved code.
    static inline const QString keyringLabel = QStringLiteral("Quorvel: this computer's editor");

    explicit LocalHostEditor(
        KeychainTokenStore tokens = KeychainTokenStore(KeychainTokenStore::localEditorService),
        ClientTimings timings = {}, QObject *parent = nullptr);
    ~LocalHostEditor() override;

    static QString windowTitle();
    // Why the editor cannot open now (the host is not listening yet): the listener's status.
    static std::optional<QString> unavailableReason(const HostCoordinator &coordinator);

    // Saves the host's current code for the private model and, once the keyring has answered,
    // connects it (unless it is connected or on its way), or has it say that the keyring did not
    // take the code; showWindow runs at once. Does nothing and returns false while the host has
    // no port.
    bool open(HostCoordinator &coordinator, const std::function<void()> &showWindow);

    // Made on first use and kept for the life of the process.
    ClientModel &model();

signals:
    // The code was saved (or not) and the model was asked to connect.
    void codeSaved(bool saved);

private:
    KeychainTokenStore m_tokens;
    ClientTimings m_timings;
    std::unique_ptr<ClientModel> m_model;
};

} // namespace Quorvel
