#pragma once

#include "QuorvelClientUI/ClientConnectionStatus.h"
#include "QuorvelClientUI/ClientTestOutcome.h"
#include "QuorvelCore/Model/Action.h"
#include "QuorvelCore/Model/Deck.h"
#include "QuorvelCore/Model/HostCatalog.h"
#include "QuorvelCore/Model/HostInfo.h"
#include "QuorvelCore/Model/StatusCheck.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace Quorvel {

// What the deck editor needs of the remote's link to a host: what the host sent, whether it may
// be edited, and the requests that change or try something. The editor works only through this,
// so it can be put in any state without a host (tests, the gallery).
//
// Lives on the main thread. Each signal fires when its value may have changed; every asynchronous
// request calls its handler exactly once on the event loop, unless the context is gone by then.
class DeckEditorClient : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual ClientConnectionStatus status() const = 0;
    // The connected host's deck as last received.
    virtual std::optional<Deck> deck() const = 0;
    virtual std::optional<HostInfo> hostInfo() const = 0;
    virtual std::optional<HostCatalog> catalog() const = 0;
    // Connected to a host that lets this device change its deck.
    virtual bool canEditDeck() const = 0;

    // Sends the whole deck; the handler gets the host's problems, empty when it took the deck.
    virtual void updateDeck(const Deck &deck, QObject *context,
                            std::function<void(QStringList)> onDone) = 0;
    // Tries an action or a status check on the host.
    virtual void test(const Action &action, QObject *context,
                      std::function<void(ClientTestOutcome)> onDone) = 0;
    virtual void check(const StatusCheck &statusCheck, QObject *context,
                       std::function<void(ClientTestOutcome)> onDone) = 0;
    // Asks the host for its catalog; without a link the one-line notice says so.
    virtual void requestCatalog() = 0;

    // What identifies the host being reached or connected across renames, or none while no host
    // is chosen.
    std::optional<QString> hostKey() const;
    // The host's own name, or "the host" while it has sent none.
    QString hostName() const;

signals:
    void statusChanged();
    void deckChanged();
    void hostInfoChanged();
    void catalogChanged();
};

} // namespace Quorvel
