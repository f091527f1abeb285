#pragma once

#include "QuorvelClientUI/ClientTestOutcome.h"
#include "Widgets/StatusColors.h"

#include <QString>

namespace Quorvel {

// How the result of trying an action or a status check reads: a symbol, a text and a colour.
struct TestResultText {
    QString symbol;
    QString text;
    StatusTone tone = StatusTone::none;

    static TestResultText of(const ClientTestOutcome &outcome);
    friend bool operator==(const TestResultText &, const TestResultText &) = default;
};

} // namespace Quorvel
