#pragma once

#include <QString>
#include <QStringList>

namespace Quorvel {

// The sentence the editor shows after the other problems of every action whose id another row
// of the working copy also uses.
inline const QString duplicateIDProblem =
    QStringLiteral("Another action uses the same ID. Change one in Advanced.");

// The deck rules' text of a problem in words for the user. A text that is wholly one of the
// rules' texts gets its wording; otherwise each rule's text inside it (behind an action's label)
// is reworded where it stands. Texts it does not know come back unchanged.
QString friendlyProblem(const QString &text);

// Whether more than one of rowIDs (the ids of every row, this action's own included) names the
// same action as id. Ids compare as the deck rules compare them, so two ids that differ only in
// their Unicode normalisation are the same id; two empty ids are too.
bool isDuplicateID(const QString &id, const QStringList &rowIDs);

} // namespace Quorvel
