// The remote's surface in its main states, from real models linked to a real host in this
// process. The views are drawn without being shown, so the models do not browse unless a page
// starts them: the host lists are those a browser would give.

#include "Gallery/GalleryDecks.h"
#include "Gallery/GalleryRegistry.h"
#include "Gallery/GallerySession.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/Views/ClientRootView.h"
#include "QuorvelClientUI/Views/StatusBadge.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"

#include <QVBoxLayout>

namespace Quorvel {

namespace {

using Kind = ClientConnectionStatus::Kind;

const QString view = QStringLiteral("ClientRootView");

QWidget *root(ClientModel *model)
{
    return model ? new ClientRootView(model, [] {}) : nullptr;
}

// A listed host that nobody answers for.
DiscoveredHost absentHost(const QString &name, quint16 port)
{
    DiscoveredHost host;
    host.name = name;
    host.id = name + QStringLiteral("._quorvel._tcp.local.");
    host.endpoint = HostPortEndpoint{QStringLiteral("127.0.0.1"), port};
    host.protocolVersion = 2;
    return host;
}

// A model linked to a host of the studio deck, with every state the host reads.
ClientModel *connected(GallerySession &session, GalleryHost **hostOut = nullptr)
{
    GalleryHost *host = session.startHost(GalleryDecks::studio());
    ClientModel *model = session.makeModel(QStringLiteral("Remote"));
    if (!session.pair(model, host))
        return nullptr;
    const bool settled = session.waitFor([model] {
        for (const Control &control : model->deck()->controls) {
            if (control.statusCheck && !model->state(control.id))
                return false;
        }
        return true;
    });
    if (hostOut)
        *hostOut = host;
    return settled ? model : nullptr;
}

QWidget *searching(GallerySession &session)
{
    ClientModel *model = session.makeModel(QStringLiteral("Remote"));
    model->start();
    return root(model);
}

QWidget *takingLong(GallerySession &session)
{
    ClientModel *model = session.makeModel(QStringLiteral("Remote"));
    model->start();
    return session.waitFor([model] { return model->searchIsTakingLong(); }) ? root(model) : nullptr;
}

QWidget *blocked(GallerySession &session)
{
    ClientModel *model = session.makeModel(QStringLiteral("Remote"));
    model->start();
    return session.waitFor([model] { return model->localNetworkBlocked(); }) ? root(model)
                                                                             : nullptr;
}

QWidget *needsPairing(GallerySession &session, bool withReason)
{
    GalleryHost *host = session.startHost(GalleryDecks::studio());
    if (!host)
        return nullptr;
    ClientModel *model = session.makeModel(QStringLiteral("Remote"));
    model->receiveHosts({host->listing()});
    if (!session.waitFor([model] { return model->status().kind() == Kind::needsPairing; }))
        return nullptr;
    if (withReason) {
        model->submitPairingCode(QStringLiteral("1234"), host->listing());
        if (!session.waitFor([model] { return model->status().reason().has_value(); }))
            return nullptr;
    }
    return root(model);
}

QWidget *busyRows(GallerySession &session)
{
    ClientModel *model = connected(session);
    if (!model)
        return nullptr;
    model->press(QLatin1String(GalleryDecks::slowButtonID));
    model->setSwitch(QLatin1String(GalleryDecks::offSwitchID), true);
    return root(model);
}

QWidget *withNotice(GallerySession &session)
{
    ClientModel *model = connected(session);
    if (!model)
        return nullptr;
    model->runControl(QStringLiteral("record"), std::nullopt, model, [](auto) {});
    model->setLastNotice(QStringLiteral(
        "Render Mix failed: the renderer stopped after writing 3 of 12 stems because the "
        "scratch disk is full; free some space and try again."));
    return root(model);
}

QWidget *hostList(GallerySession &session, bool connect)
{
    GalleryHost *host = session.startHost(GalleryDecks::studio());
    ClientModel *model = session.makeModel(QStringLiteral("Remote"));
    if (connect && !session.pair(model, host))
        return nullptr;
    // Listed hosts whose ports nobody listens on; connecting to them would fail.
    // The model connects by itself to the first listed host when it has none.
    const DiscoveredHost kitchen = absentHost(QStringLiteral("Kitchen"), 1);
    const DiscoveredHost workshop = absentHost(QStringLiteral("Workshop <i>2</i>"), 2);
    model->receiveHosts(connect ? QList<DiscoveredHost>{host->listing(), kitchen, workshop}
                                : QList<DiscoveredHost>{kitchen, workshop, host->listing()});
    if (!connect) {
        // No code was ever stored for that host, so the model asks for one.
        if (!session.waitFor([model] { return model->status().kind() == Kind::needsPairing; }))
            return nullptr;
    }
    return root(model);
}

QWidget *failed(GallerySession &session)
{
    GalleryHost *host = nullptr;
    ClientModel *model = connected(session, &host);
    if (!model)
        return nullptr;
    model->receiveHosts({host->listing(), absentHost(QStringLiteral("Kitchen"), 1)});
    host->coordinator().stop();
    if (!session.waitFor([model] { return model->status().kind() == Kind::failed; }))
        return nullptr;
    return root(model);
}

// A later launch: the remembered host is not listed, and its last actions show greyed.
QWidget *notConnectedPreview(GallerySession &session)
{
    GalleryHost *host = session.startHost(GalleryDecks::studio());
    {
        ClientModel *first = session.makeModel(QStringLiteral("Remote"), true);
        if (!session.pair(first, host))
            return nullptr;
        first->disconnect();
    }
    ClientModel *later = session.makeModel(QStringLiteral("Remote"), true);
    return later->isWaitingForRememberedHost() ? root(later) : nullptr;
}

// Every state of the badge under a switch's title, one above the other.
QWidget *badges(GallerySession &)
{
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QList<std::pair<std::optional<ControlState>, bool>> cases{
        {std::nullopt, true},
        {std::nullopt, false},
        {ControlState{QStringLiteral("a"), std::nullopt, QStringLiteral("standby"), false, now},
         false},
        {ControlState{QStringLiteral("a"), true, std::nullopt, false, now}, false},
        {ControlState{QStringLiteral("a"), true, QStringLiteral("live, 3 viewers"), false, now},
         false},
        {ControlState{QStringLiteral("a"), false, std::nullopt, false, now}, false},
    };
    for (const auto &[state, busy] : cases) {
        auto *badge = new StatusBadge(box);
        badge->setState(state, busy);
        layout->addWidget(badge);
    }
    return box;
}

const GalleryRegistry::Registration pages{
    {view, QStringLiteral("searching"), GalleryPass::withDiscovery, searching, -1},
    {view, QStringLiteral("search-taking-long"), GalleryPass::withDiscovery, takingLong, -1},
    {view, QStringLiteral("blocked"), GalleryPass::withoutDiscovery, blocked},
    {view, QStringLiteral("needs-pairing"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) { return needsPairing(session, false); }},
    {view, QStringLiteral("needs-pairing-reason"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) { return needsPairing(session, true); }},
    {view, QStringLiteral("connected"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) { return root(connected(session)); }},
    {view, QStringLiteral("busy-rows"), GalleryPass::withoutDiscovery, busyRows},
    {view, QStringLiteral("notice"), GalleryPass::withoutDiscovery, withNotice},
    {view, QStringLiteral("host-list-connected"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) { return hostList(session, true); }},
    {view, QStringLiteral("host-list-pairing"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) { return hostList(session, false); }},
    {view, QStringLiteral("failed"), GalleryPass::withoutDiscovery, failed},
    {view, QStringLiteral("not-connected-preview"), GalleryPass::withoutDiscovery,
     notConnectedPreview},
    {QStringLiteral("StatusBadge"), QStringLiteral("every-state"), GalleryPass::withoutDiscovery,
     badges},
};

} // namespace

} // namespace Quorvel
