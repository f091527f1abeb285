#pragma once

#include "QuorvelCore/Discovery/DiscoveredHost.h"
#include "QuorvelCore/Keychain/KeychainTokenStore.h"
#include "QuorvelCore/Model/PairingToken.h"

#include <functional>
#include <optional>

class QObject;

namespace Quorvel {

// Finds a host's pairing code: under its key (its host id, else its name), or, for a host with an
// id, under its name as earlier versions kept it; such a code is moved to the id (the name entry
// is removed only once the id entry is saved). onDone is called once, unless context is gone.
void lookUpHostCode(const KeychainTokenStore &tokens, const DiscoveredHost &host, QObject *context,
                    std::function<void(std::optional<PairingToken>)> onDone);

} // namespace Quorvel
