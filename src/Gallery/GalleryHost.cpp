#include "Gallery/GalleryHost.h"

#include "Platform/Files/PrivateFile.h"
#include "QuorvelCore/Model/WireCodec.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "QuorvelHostKit/Service/HostTokenStore.h"

#include <QFile>
#include <QTest>

namespace Quorvel {

namespace {

// The host's protocol, as its advertisement says.
constexpr int advertisedProtocol = 2;
// A switch's state is checked again this soon after it was turned, not the usual half second.
constexpr double quickRecheckDelay = 0.05;

} // namespace

GalleryHost::GalleryHost(const Deck &deck, const std::optional<QString> &environmentCode)
    : m_deckPath(m_deckDir.filePath(QStringLiteral("deck.json")))
{
    qputenv("QUORVEL_DECK", QFile::encodeName(m_deckPath));
    if (environmentCode) {
        qputenv(HostTokenStore::environmentKey, environmentCode->toUtf8());
        m_setEnvironment = true;
    }
    if (const std::optional<QByteArray> bytes = WireCodec::prettyEncoder(true).encode(deck))
        writeDeck(*bytes);
    HostCoordinator::Options options;
    options.recheckDelay = quickRecheckDelay;
    // A page draws a failed write as it was made; a retry in the folder it was aimed at would
    // store it before the page is drawn.
    options.fileRetry = {std::chrono::hours(1), std::chrono::hours(1)};
    m_coordinator = std::make_unique<HostCoordinator>(options);
    m_coordinator->start();
}

GalleryHost::~GalleryHost()
{
    m_coordinator->stop();
    m_coordinator.reset();
    qunsetenv("QUORVEL_DECK");
    if (m_setEnvironment)
        qunsetenv(HostTokenStore::environmentKey);
}

bool GalleryHost::waitUntilListening(int limitMs)
{
    return QTest::qWaitFor([this] { return m_coordinator->port().has_value(); }, limitMs);
}

DiscoveredHost GalleryHost::listing() const
{
    DiscoveredHost host;
    host.name = m_coordinator->hostName();
    host.id = host.name + QStringLiteral("._quorvel._tcp.local.");
    host.endpoint =
        HostPortEndpoint{QStringLiteral("127.0.0.1"), m_coordinator->port().value_or(0)};
    host.protocolVersion = advertisedProtocol;
    host.hostID = m_coordinator->hostID();
    return host;
}

bool GalleryHost::writeDeck(const QByteArray &bytes)
{
    return PrivateFile::replace(m_deckPath, bytes) == 0;
}

} // namespace Quorvel
