#pragma once

#include <chrono>

namespace Quorvel {

// Every wait of the client model; tests shorten them.
struct ClientTimings {
    // Browsing this long without a listed host tells the user the search is taking long.
    std::chrono::milliseconds searchTakingLong{std::chrono::seconds(10)};
    // Pause before trying a closed link again, so a restarting host has time to listen.
    std::chrono::milliseconds reconnectDelay{std::chrono::seconds(2)};
    // How often the Keychain is read while a host waits for its pairing code.
    std::chrono::milliseconds pairingWatchInterval{std::chrono::seconds(5)};
    // A run that someone waits on: long actions on the host still answer in time.
    std::chrono::milliseconds runTimeout{std::chrono::seconds(90)};
    // Added to an action's own time-out when it is tried, for the trip to the host and back.
    std::chrono::milliseconds testMargin{std::chrono::seconds(10)};
    // A try of an action that has no time-out of its own.
    std::chrono::milliseconds testDefaultTimeout{std::chrono::seconds(70)};
    // A try of a status check.
    std::chrono::milliseconds checkTimeout{std::chrono::seconds(30)};
    // Sending a whole deck: the host validates and saves it before it answers.
    std::chrono::milliseconds deckUpdateTimeout{std::chrono::seconds(20)};
};

} // namespace Quorvel
