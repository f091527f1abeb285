// The host's own panel in its main states, drawn from a real host in this process.

#include "Gallery/GalleryDecks.h"
#include "Gallery/GalleryRegistry.h"
#include "Gallery/GallerySession.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "QuorvelHostKit/Views/HostMenuView.h"
#include "QuorvelHostKit/Views/PairingCodeView.h"

#include <QDir>
#include <QFile>

namespace Quorvel {

namespace {

using Status = LocalNetworkMonitor::Status;

// A host whose states have all arrived, so every row shows its real reading.
GalleryHost *settledHost(GallerySession &session, const Deck &deck,
                         const std::optional<QString> &environmentCode = std::nullopt)
{
    GalleryHost *host = session.startHost(deck, environmentCode);
    if (!host)
        return nullptr;
    HostCoordinator &coordinator = host->coordinator();
    const bool settled = session.waitFor([&coordinator, &deck] {
        for (const Control &control : deck.controls) {
            if (control.statusCheck && !coordinator.latestStates().contains(control.id))
                return false;
        }
        return coordinator.localNetwork() != Status::checking;
    });
    return settled ? host : nullptr;
}

QWidget *panel(GalleryHost *host)
{
    return host ? new HostMenuView(&host->coordinator(), true) : nullptr;
}

QWidget *withDevices(GallerySession &session, int count)
{
    GalleryHost *host = settledHost(session, GalleryDecks::studio());
    if (!host)
        return nullptr;
    for (int i = 1; i <= count; ++i) {
        if (!session.pair(session.makeModel(QStringLiteral("Remote %1").arg(i)), host))
            return nullptr;
    }
    HostCoordinator &coordinator = host->coordinator();
    if (!session.waitFor([&] { return coordinator.connectedClients().size() == count; }))
        return nullptr;
    return panel(host);
}

QWidget *discoverable(GallerySession &session)
{
    GalleryHost *host = settledHost(session, GalleryDecks::studio());
    if (!host || !session.waitFor(
                     [host] { return host->coordinator().localNetwork() == Status::discoverable; }))
        return nullptr;
    return panel(host);
}

QWidget *blocked(GallerySession &session)
{
    GalleryHost *host = settledHost(session, GalleryDecks::studio());
    if (!host || host->coordinator().localNetwork() != Status::blocked)
        return nullptr;
    return panel(host);
}

QWidget *deckProblem(GallerySession &session)
{
    GalleryHost *host = settledHost(session, GalleryDecks::studio());
    if (!host)
        return nullptr;
    // A deck without a title and with a switch that has no status check breaks the deck rules.
    host->writeDeck(R"({"deck_name": "", "controls": [{"id": "a", "title": "Fan", "type": "toggle",
        "on_action": {"type": "shell", "target": "true"},
        "off_action": {"type": "shell", "target": "true"}}]})");
    if (!session.waitFor([host] { return host->coordinator().deckProblem().has_value(); }))
        return nullptr;
    return panel(host);
}

QWidget *tokenFromEnvironment(GallerySession &session)
{
    return panel(settledHost(session, GalleryDecks::studio(),
                             QStringLiteral("HX7K-M2QP-9RTW-4VBN-C8JD-F3YE")));
}

QWidget *codeRevealed(GallerySession &session)
{
    GalleryHost *host = settledHost(session, GalleryDecks::studio());
    auto *view = static_cast<HostMenuView *>(panel(host));
    if (view)
        view->pairingCodeView()->toggleRevealed();
    return view;
}

QWidget *confirmNewCode(GallerySession &session)
{
    GalleryHost *host = settledHost(session, GalleryDecks::studio());
    auto *view = static_cast<HostMenuView *>(panel(host));
    if (view)
        view->pairingCodeView()->askToRotate();
    return view;
}

// The data folder cannot take the new code: a file stands where the folder would be made.
QWidget *newCodeUnsaved(GallerySession &session)
{
    GalleryHost *host = settledHost(session, GalleryDecks::studio());
    auto *view = static_cast<HostMenuView *>(panel(host));
    if (!view)
        return nullptr;
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    const QString blocker = QDir::temp().filePath(QStringLiteral("quorvel-gallery-not-a-folder"));
    QFile file(blocker);
    file.open(QIODevice::WriteOnly);
    file.close();
    qputenv("XDG_DATA_HOME", QFile::encodeName(blocker + QStringLiteral("/data")));
    view->pairingCodeView()->askToRotate();
    view->pairingCodeView()->rotate();
    qputenv("XDG_DATA_HOME", dataHome);
    QFile::remove(blocker);
    return view;
}

QWidget *embedded(GallerySession &session)
{
    GalleryHost *host = settledHost(session, Deck{QStringLiteral("Empty Deck"), {}});
    return host ? new HostMenuView(&host->coordinator(), false) : nullptr;
}

const GalleryRegistry::Registration pages{
    {QStringLiteral("HostMenuView"), QStringLiteral("discoverable"), GalleryPass::withDiscovery,
     discoverable},
    {QStringLiteral("HostMenuView"), QStringLiteral("blocked"), GalleryPass::withoutDiscovery,
     blocked},
    {QStringLiteral("HostMenuView"), QStringLiteral("devices-0"), GalleryPass::withDiscovery,
     [](GallerySession &session) { return withDevices(session, 0); }},
    {QStringLiteral("HostMenuView"), QStringLiteral("devices-1"), GalleryPass::withDiscovery,
     [](GallerySession &session) { return withDevices(session, 1); }},
    {QStringLiteral("HostMenuView"), QStringLiteral("devices-3"), GalleryPass::withDiscovery,
     [](GallerySession &session) { return withDevices(session, 3); }},
    {QStringLiteral("HostMenuView"), QStringLiteral("deck-problem"), GalleryPass::withoutDiscovery,
     deckProblem},
    {QStringLiteral("HostMenuView"), QStringLiteral("token-from-environment"),
     GalleryPass::withoutDiscovery, tokenFromEnvironment},
    {QStringLiteral("HostMenuView"), QStringLiteral("code-revealed"), GalleryPass::withoutDiscovery,
     codeRevealed},
    {QStringLiteral("HostMenuView"), QStringLiteral("confirm-new-code"),
     GalleryPass::withoutDiscovery, confirmNewCode},
    {QStringLiteral("HostMenuView"), QStringLiteral("new-code-unsaved"),
     GalleryPass::withoutDiscovery, newCodeUnsaved},
    {QStringLiteral("HostMenuView"), QStringLiteral("embedded-empty-deck"),
     GalleryPass::withoutDiscovery, embedded},
};

} // namespace

} // namespace Quorvel
