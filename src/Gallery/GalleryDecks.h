#pragma once

#include "QuorvelCore/Model/Deck.h"

// Decks that show every kind of action and state, run by a real host on this machine with
// harmless shell commands.
namespace Quorvel::GalleryDecks {

// The id of studio()'s button whose action takes a while, so it stays busy for a moment.
inline constexpr char slowButtonID[] = "render";
inline constexpr char onSwitchID[] = "stream";
inline constexpr char offSwitchID[] = "mute";
inline constexpr char unknownSwitchID[] = "lamp";

// A button, a slow button, switches that read on, off and unknown, a readout with a value and
// one without, and a title written as markup (shown as text).
Deck studio();
// count buttons, switches and readouts in turn, each switch on, for the benchmark.
Deck large(int count);

} // namespace Quorvel::GalleryDecks
