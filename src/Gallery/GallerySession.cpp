#include "Gallery/GallerySession.h"

#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"

#include <QTest>

namespace Quorvel {

namespace {

using namespace std::chrono_literals;

// A listener on loopback is up in milliseconds; this leaves room for a slow machine.
constexpr int listenLimitMs = 10000;

} // namespace

GallerySession::~GallerySession()
{
    endPage();
}

bool GallerySession::waitFor(const std::function<bool()> &condition, int limitMs)
{
    return QTest::qWaitFor(condition, limitMs);
}

GalleryHost *GallerySession::startHost(const Deck &deck,
                                       const std::optional<QString> &environmentCode)
{
    GalleryHost *host = keep(std::make_unique<GalleryHost>(deck, environmentCode));
    return host->waitUntilListening(listenLimitMs) ? host : nullptr;
}

ClientModel *GallerySession::makeModel(const QString &clientName, bool persistent,
                                       ClientTimings timings)
{
    return keep(
        std::make_unique<ClientModel>(clientName, KeychainTokenStore(), persistent, timings));
}

bool GallerySession::pair(ClientModel *model, GalleryHost *host)
{
    if (!model || !host)
        return false;
    model->submitPairingCode(host->coordinator().pairingToken().displayText(), host->listing());
    return waitFor([model] { return model->isConnected() && model->deck().has_value(); });
}

ClientTimings GallerySession::quickTimings()
{
    ClientTimings timings;
    timings.searchTakingLong = 300ms;
    // A page that shows a failed link must see it before the model tries again.
    timings.reconnectDelay = 60s;
    return timings;
}

void GallerySession::endPage()
{
    while (!m_kept.empty())
        m_kept.pop_back();
}

} // namespace Quorvel
