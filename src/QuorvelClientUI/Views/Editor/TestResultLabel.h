#pragma once

#include "QuorvelClientUI/ClientTestOutcome.h"
#include "Widgets/SymbolLabel.h"

namespace Quorvel {

// The outcome of the last try, as one coloured label of at most three lines.
class TestResultLabel : public SymbolLabel {
    Q_OBJECT

public:
    // Output longer than this many lines is cut: the card stays a card.
    static constexpr int maxLines = 3;

    explicit TestResultLabel(const ClientTestOutcome &outcome, QWidget *parent = nullptr);
    void setOutcome(const ClientTestOutcome &outcome);
};

} // namespace Quorvel
