#include "QuorvelClientUI/Editor/ActionProblems.h"

#include "QuorvelClientUI/Editor/MissingTarget.h"
#include "QuorvelClientUI/Editor/ProblemWording.h"

#include "QuorvelCore/Model/DeckValidator.h"

namespace Quorvel {

namespace {

// A deck title that is not empty, so that only the rules about the action itself speak.
const QString placeholderDeckName = QStringLiteral("x");

} // namespace

QStringList actionProblems(const Control &control, const QStringList &rowIDs,
                           const std::optional<HostCatalog> &catalog,
                           const std::optional<HostInfo> &hostInfo)
{
    const Deck alone{placeholderDeckName, {control}};
    const QString label = u'"' + control.id + QStringLiteral("\": ");
    QStringList problems;
    for (QString text : DeckValidator::problems(alone)) {
        text.remove(label);
        problems.append(friendlyProblem(text));
    }
    if (isDuplicateID(control.id, rowIDs))
        problems.append(duplicateIDProblem);
    problems.append(missingTargetProblems(control, catalog, hostInfo));
    // A switch that opens and quits one missing app fails the same way twice; one line says it.
    problems.removeDuplicates();
    return problems;
}

} // namespace Quorvel
