#pragma once

#include "QuorvelCore/Discovery/DiscoveredHost.h"
#include "QuorvelCore/Model/Deck.h"
#include "QuorvelCore/Model/PairingToken.h"

#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace Quorvel {

class HostCoordinator;

// A real host in this process, serving a deck from a deck file of its own on every address of
// this machine's loopback, with the pairing code of the data folder or the environment. For the
// gallery and the view tests, which run with a private home.
class GalleryHost {
public:
    // With environmentCode the host takes its code from QUORVEL_TOKEN, as a wrapper script sets
    // it; the variable is removed again when the host goes.
    explicit GalleryHost(const Deck &deck,
                         const std::optional<QString> &environmentCode = std::nullopt);
    ~GalleryHost();
    GalleryHost(const GalleryHost &) = delete;
    GalleryHost &operator=(const GalleryHost &) = delete;

    HostCoordinator &coordinator() { return *m_coordinator; }
    // Whether the listener got its port within the time given.
    bool waitUntilListening(int limitMs);
    // The host as a browser lists it, reached on 127.0.0.1.
    DiscoveredHost listing() const;
    // Replaces the deck file; the host's watcher notices it.
    bool writeDeck(const QByteArray &bytes);
    QString deckPath() const { return m_deckPath; }

private:
    QTemporaryDir m_deckDir;
    QString m_deckPath;
    bool m_setEnvironment = false;
    std::unique_ptr<HostCoordinator> m_coordinator;
};

} // namespace Quorvel
