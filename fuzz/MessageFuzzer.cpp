// Feeds arbitrary bytes to the host-link message decoder, as a peer could send them. Whatever
// decodes must encode again and read back as the same message.
#include "QuorvelCore/Model/WireCodec.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace Quorvel;
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<Message> message = WireCodec::decode(bytes);
    if (!message)
        return 0;
    const std::optional<QByteArray> encoded = WireCodec::encode(*message);
    if (!encoded)
        std::abort();
    const std::optional<Message> again = WireCodec::decode(*encoded);
    // A trigger_action without request_id gets a fresh one on every decode.
    const auto *trigger = message->as<Message::TriggerAction>();
    if (!again || (!(*again == *message) && !trigger))
        std::abort();
    return 0;
}
