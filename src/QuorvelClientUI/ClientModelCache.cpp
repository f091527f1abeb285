#include "QuorvelClientUI/ClientModel.h"

#include "QuorvelClientUI/ClientSettings.h"
#include "QuorvelCore/Model/WireCodec.h"

namespace Quorvel {

std::optional<Deck> ClientModel::cachedDeck()
{
    const QVariant stored = openClientSettings()->value(lastDeckKey);
    if (!stored.isValid())
        return std::nullopt;
    // A value that does not decode (an older format, a hand edit) reads as no deck and stays.
    return WireCodec::decoder().decode<Deck>(stored.toByteArray());
}

void ClientModel::saveCachedDeck(const Deck &deck)
{
    const std::optional<QByteArray> encoded = WireCodec::prettyEncoder(false).encode(deck);
    if (!encoded)
        return;
    openClientSettings()->setValue(lastDeckKey, *encoded);
}

} // namespace Quorvel
