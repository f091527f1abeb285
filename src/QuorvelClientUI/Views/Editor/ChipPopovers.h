#pragma once

#include "QuorvelClientUI/Views/Editor/ActionSentence.h"
#include "QuorvelClientUI/Views/Editor/EditBinding.h"
#include "QuorvelCore/Model/Control.h"

#include <QPointer>

namespace Quorvel {

class Chip;
class DeckEditorClient;

// Gives each chip of an action's sentence the popover that changes its part: what the action
// does, when a switch shows on, what a readout shows, how often it refreshes, its kind, and
// which other app's control it uses.
class ChipPopovers {
public:
    // The popover's width for a part, its padding included.
    static int width(ActionSentence::Part part);

    // Sets the chip's popover for the part of the control that binding reaches. The binding's
    // writes reach the editor on the next turn of the event loop: a write may redraw the sentence
    // and so the chip whose popover wrote it. Until then the popover reads its own write.
    static void attach(Chip *chip, ActionSentence::Part part, const EditBinding<Control> &binding,
                       DeckEditorClient &client);

    // The popover content for the part, reading and writing through a control binding.
    static QWidget *make(ActionSentence::Part part, const EditBinding<Control> &control,
                         DeckEditorClient &client);
};

} // namespace Quorvel
