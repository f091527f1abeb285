#include "QuorvelClientUI/Views/Editor/TestResultLabel.h"

#include "QuorvelClientUI/Views/Editor/TestResultText.h"

namespace Quorvel {

TestResultLabel::TestResultLabel(const ClientTestOutcome &outcome, QWidget *parent)
    : SymbolLabel(QString(), QString(), TextStyle::caption, StatusTone::none, parent)
{
    setObjectName(QStringLiteral("tryResult"));
    textLabel()->setWrapping(maxLines);
    setOutcome(outcome);
}

void TestResultLabel::setOutcome(const ClientTestOutcome &outcome)
{
    const TestResultText shown = TestResultText::of(outcome);
    set(shown.symbol, shown.text, shown.tone);
}

} // namespace Quorvel
