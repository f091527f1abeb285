#pragma once

#include "QuorvelCore/Model/Deck.h"
#include "QuorvelHostKit/Service/HostActivity.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

namespace Quorvel {

// What the host section of the diagnostic report says, gathered from the host coordinator.
struct HostDiagnostics {
    // Activity entries quoted in the report, newest first.
    static constexpr int recentActivityLines = 30;

    QString hostName;
    QString listenerStatus;
    // The local-network status by its case name ("checking", "notVisible", ...).
    QString localNetwork;
    QStringList connectedClientNames;
    bool pairingSetByEnvironment = false;
    bool pairingSyncedToICloud = false;
    bool iCloudSignedIn = false;
    bool allowDeckEditing = false;
    bool keepsAwake = false;
    // Added in parentheses after "on", for example "lock held by logind"; empty adds nothing.
    QString keepAwakeDetail;
    Deck deck;
    std::optional<QString> deckProblem;
    // Newest first.
    QList<HostActivity> activity;

    // The report's lines, without line ends; dates in the locale's numeric form with seconds.
    QStringList lines(const QLocale &locale = QLocale()) const;

    // "shell ×3, app ×1" style summary of the kinds of every action of the deck, sorted.
    static QString actionKinds(const Deck &deck);
};

} // namespace Quorvel
