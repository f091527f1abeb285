#include "QuorvelClientUI/Views/Editor/TestResultText.h"

#include "Widgets/ShownText.h"

#include <QCoreApplication>
#include <QStringList>

namespace Quorvel {

TestResultText TestResultText::of(const ClientTestOutcome &outcome)
{
    // What the host's programs wrote, with escapes and direction overrides written out.
    const QString text = ShownText::withHiddenShown(outcome.text());
    switch (outcome.kind()) {
    case ClientTestOutcome::Kind::action:
        if (outcome.ok())
            return {QStringLiteral("checkmark.circle.fill"),
                    text.isEmpty() ? QCoreApplication::translate("TestResult", "Done") : text,
                    StatusTone::green};
        return {QStringLiteral("xmark.octagon.fill"),
                text.isEmpty() ? QCoreApplication::translate("TestResult", "It didn't work") : text,
                StatusTone::red};
    case ClientTestOutcome::Kind::statusCheck: {
        QStringList parts;
        if (outcome.isOn())
            parts.append(*outcome.isOn() ? QCoreApplication::translate("TestResult", "On")
                                         : QCoreApplication::translate("TestResult", "Off"));
        if (!text.isEmpty())
            parts.append(text);
        const bool on = outcome.isOn().value_or(false);
        return {on ? QStringLiteral("circle.fill") : QStringLiteral("circle"),
                parts.join(QStringLiteral(": ")), on ? StatusTone::green : StatusTone::secondary};
    }
    case ClientTestOutcome::Kind::failed:
        break;
    }
    return {QStringLiteral("xmark.octagon.fill"), text, StatusTone::red};
}

} // namespace Quorvel
