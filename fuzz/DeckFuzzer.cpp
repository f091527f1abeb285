// Feeds arbitrary bytes to the deck decoder (a deck file, or the deck of an update_deck), then
// runs the rules and the lookups on whatever decodes, and checks that it survives a round trip
// through the pretty file form.
#include "QuorvelCore/Model/DeckValidator.h"
#include "QuorvelCore/Model/WireCodec.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace Quorvel;
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<Deck> deck = WireCodec::decoder().decode<Deck>(bytes);
    if (!deck)
        return 0;
    const QStringList problems = DeckValidator::problems(*deck);
    if (deck->controls.empty() && !problems.contains(QStringLiteral("there are no actions")))
        std::abort();
    for (const Control &control : deck->controls) {
        if (!deck->control(control.id))
            std::abort();
        for (const std::optional<Action> &action :
             {control.action, control.onAction, control.offAction}) {
            if (action && action->value)
                AppControlValue::fromString(*action->value);
        }
    }
    const std::optional<QByteArray> encoded = WireCodec::prettyEncoder(true).encode(*deck);
    if (!encoded)
        std::abort();
    if (!(WireCodec::decoder().decode<Deck>(*encoded) == deck))
        std::abort();
    return 0;
}
