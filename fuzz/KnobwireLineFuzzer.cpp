// Feeds arbitrary bytes to the app-control line decoder, as a peer could send them on one line.
// Whatever decodes must encode as exactly one line that decodes again, and a second trip through
// the codec must change nothing more.
#include "Knobwire/Message.h"

#include <cstdint>
#include <cstdlib>

namespace {

std::optional<Knobwire::Message> decodeOrNothing(QByteArrayView line)
{
    Knobwire::Message::Decoded decoded = Knobwire::Message::decode(line);
    if (const auto *message = std::get_if<Knobwire::Message>(&decoded)) {
        return *message;
    }
    return std::nullopt;
}

// Encodes a message and reads it back; aborts when the line is malformed or unreadable.
Knobwire::Message roundTrip(const Knobwire::Message &message)
{
    const QByteArray line = message.encodeLine();
    if (line.indexOf('\n') != line.size() - 1) {
        std::abort();
    }
    const std::optional<Knobwire::Message> again = decodeOrNothing(QByteArrayView(line).chopped(1));
    if (!again) {
        std::abort();
    }
    return *again;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView line(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<Knobwire::Message> message = decodeOrNothing(line);
    if (!message) {
        return 0;
    }
    const Knobwire::Message once = roundTrip(*message);
    if (!(roundTrip(once) == once)) {
        std::abort();
    }
    return 0;
}
