#include "QuorvelClientUI/HostCodeLookup.h"

namespace Quorvel {

namespace {

void moveCodeToHostID(const KeychainTokenStore &tokens, const DiscoveredHost &host,
                      const PairingToken &code, QObject *context)
{
    tokens.save(code, *host.hostID, context, [tokens, host, context](bool saved) {
        // A failed save keeps the code where it was found.
        if (saved)
            tokens.remove(host.name, context);
    });
}

} // namespace

void lookUpHostCode(const KeychainTokenStore &tokens, const DiscoveredHost &host, QObject *context,
                    std::function<void(std::optional<PairingToken>)> onDone)
{
    tokens.read(
        host.stableKey(), context,
        [tokens, host, context, onDone = std::move(onDone)](std::optional<PairingToken> code) {
            if (code || !host.hostID) {
                onDone(code);
                return;
            }
            tokens.read(host.name, context,
                        [tokens, host, context, onDone](std::optional<PairingToken> byName) {
                            if (byName)
                                moveCodeToHostID(tokens, host, *byName, context);
                            onDone(byName);
                        });
        });
}

} // namespace Quorvel
